// Restart-time file operations of the NT family: the Session Manager's REG_MULTI_SZ value
// PendingFileRenameOperations, which MoveFileExA(..., MOVEFILE_DELAY_UNTIL_REBOOT) fills
// with pairs of names, source then target. An empty target means "delete the source".
// The value is read and written in UTF-16: other programs' names stay exactly as they are,
// whatever the code page holds.
#pragma once

#include <string>
#include <vector>

// Removes every pending deletion of the files and folders at paths: each pair whose source
// names one of them (compared without regard to case, after the "\??\" that MoveFileExA
// puts in front) and whose target is empty. Other pairs stay as they are; the value goes
// when none remain. Silent: a value that cannot be read or written is left alone.
void CancelPendingRestartDeletes(const std::vector<std::string>& paths);

// The edit itself, on the value's data: NUL-ended names, one more NUL at the end.
struct PendingRenamesEdit {
    bool changed = false;  // a pair was removed
    bool empty = false;    // no pair is left
    std::wstring data;     // the data without the removed pairs
};
PendingRenamesEdit WithoutPendingDeletionsOf(const std::wstring& data,
                                             const std::vector<std::wstring>& paths);
