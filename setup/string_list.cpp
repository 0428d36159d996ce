#include "string_list.h"

#include <windows.h>

#include "errors.h"
#include "scoped_handle.h"
#include "system_calls.h"

namespace {

void CheckIndex(int i, int last) {
    if (i < 0 || i > last) Raise<EListError>("List index out of bounds");
}

[[noreturn]] void RaiseCannotCreate(const std::string& path) {
    Raise<EFCreateError>("Cannot create file " + path);
}

std::string FolderOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || path[slash - 1] == ':') return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

// Deletes a file at scope exit unless told to keep it.
class FileRemoval {
public:
    explicit FileRemoval(std::string path) : path_(std::move(path)) {}
    ~FileRemoval() {
        if (!path_.empty()) DeleteFileA(path_.c_str());
    }
    FileRemoval(const FileRemoval&) = delete;
    FileRemoval& operator=(const FileRemoval&) = delete;
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

// The old file may be replaced only where the program could have rewritten it in place:
// not read-only, and not held open by anyone else.
bool MayReplace(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    ScopedHandle probe(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe.Valid();
}

// Puts the new file in the old one's place. Where the system has no replacing move (the
// Windows 95 family), the old file waits under a backup name until the new one is in place
// and comes back if that fails.
bool PutInPlace(const std::string& newFile, const std::string& path) {
    if (SystemCalls.MoveFileExA(newFile.c_str(), path.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;

    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return SystemCalls.MoveFileA(newFile.c_str(), path.c_str()) != FALSE;
    char backup[MAX_PATH];
    if (!GetTempFileNameA(FolderOf(path).c_str(), "vmx", 0, backup)) return false;
    DeleteFileA(backup);  // the move needs a free name
    if (!SystemCalls.MoveFileA(path.c_str(), backup)) return false;
    if (SystemCalls.MoveFileA(newFile.c_str(), path.c_str())) {
        DeleteFileA(backup);
        return true;
    }
    SystemCalls.MoveFileA(backup, path.c_str());
    return false;
}

}  // namespace

std::string TStringList::LineAt(int i) const {
    CheckIndex(i, LineCount() - 1);
    return lines_[i];
}

void TStringList::InsertLine(int i, const std::string& text) {
    CheckIndex(i, LineCount());
    lines_.insert(lines_.begin() + i, text);
}

void TStringList::DeleteLine(int i) {
    CheckIndex(i, LineCount() - 1);
    lines_.erase(lines_.begin() + i);
}

std::vector<std::string> TStringList::SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string::size_type end = bytes.find('\0');
    if (end == std::string::npos) end = bytes.size();
    std::string::size_type p = 0;
    while (p < end) {
        std::string::size_type start = p;
        while (p < end && bytes[p] != '\r' && bytes[p] != '\n') ++p;
        lines.push_back(bytes.substr(start, p - start));
        if (p < end && bytes[p] == '\r') ++p;
        if (p < end && bytes[p] == '\n') ++p;
    }
    return lines;
}

void TStringList::LoadLines(const std::string& path) {
    std::string bytes;
    {
        ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) Raise<EFOpenError>("Cannot open file " + path);
        DWORD size = GetFileSize(file.Get(), nullptr);
        if (size == INVALID_FILE_SIZE) Raise<EReadError>("Stream read error");
        bytes.resize(size);
        DWORD done = 0;
        while (done < size) {
            DWORD got = 0;
            // A partial read must not pass for the whole file: it would be written back short.
            if (!ReadFile(file.Get(), &bytes[done], size - done, &got, nullptr) || got == 0)
                Raise<EReadError>("Stream read error");
            done += got;
        }
    }
    lines_ = SplitLines(bytes);
}

void TStringList::SaveLines(const std::string& path) const {
    std::string block;
    for (const std::string& line : lines_) {
        block += line;
        block += "\r\n";
    }

    if (!MayReplace(path)) RaiseCannotCreate(path);
    char newFile[MAX_PATH];
    if (!GetTempFileNameA(FolderOf(path).c_str(), "vmx", 0, newFile)) RaiseCannotCreate(path);
    FileRemoval removeNewFile(newFile);
    {
        ScopedHandle file(CreateFileA(newFile, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) RaiseCannotCreate(path);
        if (!block.empty()) {
            DWORD written = 0;
            BOOL ok = SystemCalls.WriteFile(file.Get(), block.data(),
                                            static_cast<DWORD>(block.size()), &written, nullptr);
            if (!ok || written != block.size()) Raise<EWriteError>("Stream write error");
        }
        FlushFileBuffers(file.Get());
    }
    if (!PutInPlace(newFile, path)) RaiseCannotCreate(path);
    removeNewFile.Keep();
}
