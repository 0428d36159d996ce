#include "setup_log.h"

#include <cstdio>
#include <vector>

#include "environment.h"

namespace {

std::string Stamped(const std::string& utf8) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u  ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return stamp + utf8 + "\r\n";
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// ASCII as it is, anything else "?": where the system lacks the code page or UTF-8.
std::string AsciiOnly(const std::string& bytes) {
    std::string text;
    for (char c : bytes) text += static_cast<unsigned char>(c) < 0x80 ? c : '?';
    return text;
}

std::string ToUtf8(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return std::string();
    const int size = static_cast<int>(bytes.size());
    const int wideLength = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (wideLength <= 0) return AsciiOnly(bytes);
    std::vector<wchar_t> wide(wideLength);
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), wideLength);
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return AsciiOnly(bytes);
    std::string utf8(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr,
                        nullptr);
    return utf8;
}

bool IsAbsolute(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    const bool share = path.size() >= 3 && path[0] == '\\' && path[1] == '\\';
    return drive || share;
}

// Whether one of the folders on the path is a junction or a symbolic link, which the
// elevated program would follow into a folder that its user cannot write.
bool ThroughReparsePoint(const std::string& path) {
    for (std::string::size_type slash = path.find('\\', 3); slash != std::string::npos;
         slash = path.find('\\', slash + 1)) {
        const DWORD attributes = GetFileAttributesA(path.substr(0, slash).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
    }
    return false;
}

// The log is written elevated to a path that the user chose: a relative path would land
// in whatever the current folder is, and a link on the way (a junction, a symbolic or a
// hard link) would make this program write a file that its user cannot. Both are refused;
// nothing is truncated before the file is known to be the one named.
HANDLE OpenLogFile(const std::string& path, bool anew) {
    if (!IsWindowsNT()) {
        return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           anew ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (!IsAbsolute(path) || ThroughReparsePoint(path)) return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return file;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || information.nNumberOfLinks > 1 ||
        (anew && !SetEndOfFile(file))) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

}  // namespace

SetupLog::~SetupLog() {
    if (IsOpen()) CloseHandle(file_);
}

bool SetupLog::Open(const std::string& path) {
    // Others may read it while the run goes on; nobody else writes into it.
    file_ = OpenLogFile(path, true);
    return IsOpen();
}

void SetupLog::Line(const std::string& utf8) {
    if (IsOpen()) WriteAll(file_, Stamped(utf8));
}

void AppendLogLine(const std::string& path, const std::string& utf8) {
    if (path.empty()) return;
    HANDLE file = OpenLogFile(path, false);
    if (file == INVALID_HANDLE_VALUE) return;
    if (SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER)
        WriteAll(file, Stamped(utf8));
    CloseHandle(file);
}

std::string Utf8OneLine(const std::string& bytes, UINT codePage) {
    std::string joined;
    for (std::string::size_type i = 0; i < bytes.size();) {
        if (bytes[i] != '\r' && bytes[i] != '\n') {
            joined += bytes[i++];
            continue;
        }
        while (i < bytes.size() && (bytes[i] == '\r' || bytes[i] == '\n')) ++i;
        joined += " / ";
    }
    return ToUtf8(joined, codePage);
}

UINT TextCodePage() {
    return IsJapaneseSystem() ? 932 : 1252;
}
