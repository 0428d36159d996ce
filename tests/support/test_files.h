// Files and folders for tests: a fresh folder under the prefix's temporary directory that
// is removed again at scope exit, and whole-file reads and writes as bytes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vmxtest {

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Deletes a folder with everything in it; read-only files too.
void RemoveTreeOnDisk(const std::string& path);
// The names of the files and folders in a folder (without "." and ".."), sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
// The folder of the running test program, with a trailing backslash.
std::string ProgramFolder();

class TempFolder {
public:
    explicit TempFolder(const std::string& tag = "vmxt");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // The folder's path without a trailing backslash.
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Shows bytes readably in failure messages: printable ASCII as is, the rest as \xNN.
std::string Escaped(const std::string& bytes);

}  // namespace vmxtest
