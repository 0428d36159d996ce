// Restart-time file operations of the NT family: the Session Manager's REG_MULTI_SZ value
// PendingFileRenameOperations, which MoveFileExA(..., MOVEFILE_DELAY_UNTIL_REBOOT) fills
// with pairs of names, source then target. An empty target means "delete the source".
#pragma once

#include <string>

// Removes every pending deletion of the file at path: each pair whose source names it
// (compared without regard to case, after the "\??\" that MoveFileExA puts in front) and
// whose target is empty. Other pairs stay as they are; the value goes when none remain.
// Silent: a value that cannot be read or written is left alone.
void CancelPendingRestartDelete(const std::string& path);

// The edit itself, on the value's data as RegQueryValueExA gives it: NUL-ended names, one
// more NUL at the end.
struct PendingRenamesEdit {
    bool changed = false;  // a pair was removed
    bool empty = false;    // no pair is left
    std::string data;      // the data without the removed pairs
};
PendingRenamesEdit WithoutPendingDeletionOf(const std::string& data, const std::string& path);
