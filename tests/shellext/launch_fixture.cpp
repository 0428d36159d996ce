#include "launch_fixture.h"

#include <cstdio>
#include <cstring>

namespace launchtest {

namespace {

std::wstring Widened(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

}  // namespace

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const char* name, const std::string& value)
    : ScopedEnvironmentVariable(Widened(name), Widened(value)) {}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const std::wstring& name,
                                                     const std::wstring& value)
    : name_(name) {
    std::wstring old(32768, L'\0');
    DWORD n = GetEnvironmentVariableW(name_.c_str(), old.data(), static_cast<DWORD>(old.size()));
    if (n > 0 && n < old.size()) {
        saved_ = old.substr(0, n);
        hadValue_ = true;
    }
    SetEnvironmentVariableW(name_.c_str(), value.c_str());
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
    SetEnvironmentVariableW(name_.c_str(), hadValue_ ? saved_.c_str() : nullptr);
}

RecordedViewerStarts* RecordedViewerStarts::current_ = nullptr;

RecordedViewerStarts::RecordedViewerStarts() : guard_(SystemCalls.WinExec, &Record) {
    current_ = this;
}

RecordedViewerStarts::~RecordedViewerStarts() {
    current_ = nullptr;
}

UINT WINAPI RecordedViewerStarts::Record(LPCSTR commandLine, UINT show) {
    current_->starts_.push_back({commandLine, show});
    return 33;  // what WinExec answers for a program it started
}

Selection::Selection(const std::vector<std::string>& paths) : buffers_(paths.size()) {
    for (size_t i = 0; i < paths.size(); ++i) {
        std::array<char, MAX_PATH>& buffer = buffers_[i];
        buffer.fill('\0');
        std::memcpy(buffer.data(), paths[i].data(),
                    paths[i].size() < MAX_PATH - 1 ? paths[i].size() : MAX_PATH - 1);
        pointers_.push_back(buffer.data());
    }
}

std::string PathOfLength(size_t length) {
    std::string path = "C:\\";
    int folder = 0;
    while (path.size() < length) {
        char part[32];
        std::snprintf(part, sizeof part, "Dossier %02d\\", ++folder);
        path += part;
    }
    path.resize(length);
    if (path.back() == '\\') path.back() = 'z';
    return path;
}

std::vector<std::string> RealisticPaths(int count) {
    static const char* const roots[] = {
        "C:\\Documents and Settings\\Marie Dupont\\Mes documents",
        "D:\\Projets\\Client R\xE9gion Nord",  // Région
        "C:\\Program Files\\Outils de mesure",
        "\\\\serveur\\partage\\\xC9quipe commerciale",  // Équipe
        "E:\\Photos",
    };
    static const char* const folders[] = {
        "",
        "\\Rapports 2024",
        "\\Photos de l'\xE9t\xE9\\Vacances \xE0 la mer",  // été, à
        "\\Archives\\Ann\xE9"
        "e 1998\\Trimestre 3\\Relev\xE9s",  // Année, Relevés
        "\\Nouveau dossier (2)",
    };
    static const char* const extensions[] = {".txt", ".doc", ".jpg", ".xls", ""};
    std::vector<std::string> paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        char name[96];
        std::snprintf(name, sizeof name, "\\Fichier %d%.*s%s", i, i % 23, " - copie de la version",
                      extensions[(i / 7) % 5]);
        paths.push_back(std::string(roots[i % 5]) + folders[(i / 5) % 5] + name);
    }
    return paths;
}

std::string ListFileNamedIn(const std::string& commandLine) {
    const std::string key = "\" /f \"";
    size_t at = commandLine.find(key);
    if (at == std::string::npos || commandLine.back() != '"') return "";
    return commandLine.substr(at + key.size(), commandLine.size() - at - key.size() - 1);
}

std::string ExpectedListBytes(const std::vector<std::string>& paths) {
    std::string bytes = std::to_string(paths.size()) + "\r\n";
    for (const std::string& path : paths) bytes += path + "\r\n";
    return bytes;
}

std::string LaunchTest::ViewerBesideProgram() {
    return vmxtest::ProgramFolder() + "vmxtool.exe";
}

std::string LaunchTest::OnePathLine(const std::string& viewer, const std::string& lastPath) {
    return "\"" + viewer + "\" \"" + lastPath + "\"";
}

std::string LaunchTest::ListLine(const std::string& viewer, const std::string& lastPath,
                                 const std::string& listFile) {
    return "\"" + viewer + "\" \"" + lastPath + "\" /f \"" + listFile + "\"";
}

}  // namespace launchtest
