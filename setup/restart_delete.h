// Deletion of files at the next start of Windows through wininit.ini (the Windows 95
// family's convention): "NUL=<path>" lines below a "[RENAME]" line.
#pragma once

#include <string>
#include <vector>

// Adds "NUL=" + path below every "[RENAME]" line of WindowsDir\wininit.ini that has a line
// after it, writing the file after each insertion; hands the entry to the profile writer
// when no line went in. May raise EFCreateError or EWriteError.
void ScheduleDeleteAtRestart(const std::string& path);

// Removes the first entry below each "[RENAME]" line that names a file of the running
// program's file name, so that a deletion left by an earlier uninstallation does not take
// the newly installed program away. May raise EFCreateError or EWriteError.
void CancelPendingSelfDelete();

// Removes every entry below a "[RENAME]" line whose value is one of the paths, compared
// without regard to case, and writes the file once when one went: what an uninstallation
// left to the restart that a reinstallation puts back. May raise EFCreateError or
// EWriteError.
void CancelScheduledDeletes(const std::vector<std::string>& paths);

// What follows the last backslash or colon, at most 255 characters.
std::string FileNamePart(const std::string& text);
