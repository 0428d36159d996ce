// The elevated installation works from a copy of the package that only administrators can
// change: the unpacked folder (Downloads, as a rule) is writable by every program of the
// user, which could swap a file between the elevation prompt and the moment the INF
// installer copies it into the system folder, or the 64-bit setup program starts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The files of the package that an installation may use, as the INF file and the hand-over
// name them. Missing ones are passed over: the INF installer reports what it lacks.
extern const std::vector<const char*> kPackageFiles;

// The owner and access list of a staged folder and what it holds, set at creation and not
// inherited: SYSTEM and Administrators have full control, Users may read and run; nobody
// else may write.
extern const char kStagedFolderAccess[];

class StagedPayload {
public:
    // Copies the package's files (or the names given) from the folder into a new folder of
    // its own under <Windows>\Temp; an existing folder is never reused. Raises
    // EFCreateError when the folder or a copy cannot be made.
    explicit StagedPayload(const std::string& packageFolder,
                           const std::vector<const char*>& names = kPackageFiles);
    // An empty staged folder, which the caller fills through CreateStagedFile (a payload
    // carried inside the setup program). Raises EFCreateError as above.
    struct Empty {};
    explicit StagedPayload(Empty);
    // Removes the copy; a file still held (a program started from it) goes at the next
    // restart, and the folder with it.
    ~StagedPayload();
    StagedPayload(const StagedPayload&) = delete;
    StagedPayload& operator=(const StagedPayload&) = delete;

    const std::string& Folder() const { return folder_; }
    std::string File(const std::string& name) const { return folder_ + "\\" + name; }
    // The names that were copied, in the package's order.
    const std::vector<std::string>& Files() const { return files_; }
    // Creates a new file of the folder with the folder's access list and counts it among
    // the staged files; an invalid handle when it cannot.
    HANDLE CreateStagedFile(const std::string& name);

private:
    void Remove();
    std::string folder_;
    std::vector<std::string> files_;
};

// The elevated run of the NT family stages its payload; the Windows 95 family and an
// unelevated run use the unpacked folder as they always did.
bool StagesPayload();
