// The elevated setup program works from a copy of the package that only administrators
// can change: the unpacked folder (Downloads, as a rule) is writable by every program of
// the user, which could swap a file at any moment of the run.
//
// Two steps, so that a package can come from a folder or from a cabinet alike:
//   StagedFolder staged;                        // new, random name, admin-only
//   CopyShippedFiles(staged, source, shipped);  // or: extract into staged.NewFile(name)
//   FirstMismatch(staged, shipped)              // empty: every staged file is what was shipped
// and nothing is installed or started unless the check passes. Every later step names
// staged.File(name) only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shipped_files.h"

// The owner and access list of a staged folder and everything put in it, set at creation
// and not inherited: SYSTEM and Administrators have full control, Users may read and run.
extern const char kStagedFolderAccess[];

class StagedFolder {
public:
    // Makes a new folder "VelluMax-<16 hex digits>" (64 random bits) under the machine's
    // Windows folder's Temp (GetSystemWindowsDirectory: on a terminal server, not the
    // user's own Windows folder). An existing folder is never entered. Raises
    // EFCreateError when no folder can be made.
    StagedFolder();
    // Removes what was put in it and the folder; a file still held (a program started
    // from it) goes at the next restart, and the folder with it.
    ~StagedFolder();
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    const std::string& Path() const { return folder_; }
    std::string File(const std::string& name) const { return folder_ + "\\" + name; }
    // Creates a new file (never opens an existing one) with the folder's access list, for
    // writing; a subfolder in the name is made first. The name is remembered for the
    // removal even when the creation fails. INVALID_HANDLE_VALUE on failure.
    HANDLE NewFile(const std::string& name);
    // The names put in the folder, in the order they were created.
    const std::vector<std::string>& Files() const { return files_; }

private:
    void Remove();
    std::string folder_;
    std::vector<std::string> files_;
    std::vector<std::string> subfolders_;
};

// Copies each shipped file that the source folder holds, read without following links: a
// reparse point or a file of more than one hard link is refused. The source is named in
// UTF-16, so that a folder outside the system's code page is reached. Files the source
// lacks are passed over; a file the build did not ship is never read. Returns the first
// name that cannot be read or copied safely (empty when every present one was copied).
std::string CopyShippedFiles(StagedFolder& staged, const std::wstring& sourceFolder,
                             const ShippedPackage& shipped);

// Hashes every file in the staged folder against the shipped table: the first name that
// does not match, or that the table does not list; empty when all match.
std::string FirstMismatch(const StagedFolder& staged, const ShippedPackage& shipped);
