// What Windows will not let go of at once: an installed file that cannot be deleted (a DLL
// that Explorer holds, a viewer still open) is removed at the next start of Windows, and so
// are the emptied Shellext folders; a reinstallation before that restart takes the product
// back from the restart processing; an upgrade moves a file in use out of the new one's way.
#pragma once

#include <string>
#include <vector>

// The files that the uninstallation deletes in each Shellext folder, in its order; the
// Windows 11 menu command's are those that earlier versions kept in the native one (the
// command's own folder goes whole, menu_folder.h).
extern const char* const kProductFiles[6];

// Has the file, or the folder when it is empty then, removed at the next start of Windows:
// MoveFileExA on the NT family, wininit.ini on the Windows 95 family (files only). The path
// is the one the restart processing knows. May raise EFCreateError or EWriteError.
void RemoveAtRestart(const std::string& knownPath);

// True unless the path names nothing (a missing file or folder).
bool StillThere(const std::string& path);

// Cancels every pending restart deletion of the product's files, the setup program's
// included, and of its Shellext folders, in every folder: in PendingFileRenameOperations on
// the NT family; in wininit.ini on the Windows 95 family, after the setup program's own
// entry as ever.
void KeepProductAtRestart();

// NT family: an installed extension, viewer or menu command (held by a COM surrogate) that
// cannot be replaced because it is in use
// is renamed within its folder, out of the INF installer's way, and the renamed file is
// deleted now or, while still in use, at the next restart.
void MoveAsideFilesInUse();
