// How long the viewer launch takes for the largest selection: LaunchViewer's list-file
// form with 8192 paths of ordinary length (the viewer start itself scripted away), against
// the same bytes written in one WriteFile, and in one WriteFile per path and per line end.
// Prints the median of several runs of each and the ratios; it checks nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "system_calls.h"
#include "viewer_launch.h"

namespace {

const int kPaths = 8192;
const int kRuns = 15;

std::string lastCommandLine;

UINT WINAPI NoViewer(LPCSTR commandLine, UINT) {
    lastCommandLine = commandLine;
    return 33;
}

// Paths several folders deep with spaces and accented letters (CP1252), 40 to 160 bytes.
std::vector<std::string> OrdinaryPaths() {
    static const char* const roots[] = {
        "C:\\Documents and Settings\\Marie Dupont\\Mes documents",
        "D:\\Projets\\Client R\xE9gion Nord",
        "C:\\Program Files\\Outils de mesure",
        "\\\\serveur\\partage\\\xC9quipe commerciale",
        "E:\\Photos",
    };
    static const char* const folders[] = {
        "",
        "\\Rapports 2024",
        "\\Photos de l'\xE9t\xE9\\Vacances \xE0 la mer",
        "\\Archives\\Ann\xE9"
        "e 1998\\Trimestre 3\\Relev\xE9s",
        "\\Nouveau dossier (2)",
    };
    std::vector<std::string> paths;
    for (int i = 0; i < kPaths; ++i) {
        char name[96];
        std::snprintf(name, sizeof name, "\\Fichier %d%.*s.txt", i, i % 23,
                      " - copie de la version");
        paths.push_back(std::string(roots[i % 5]) + folders[(i / 5) % 5] + name);
    }
    return paths;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void DeleteListFile(const std::string& name) {
    SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(name.c_str());
}

std::string ListFileNamedIn(const std::string& commandLine) {
    size_t at = commandLine.find(" /f \"");
    if (at == std::string::npos) return "";
    return commandLine.substr(at + 5, commandLine.size() - at - 6);
}

// The same steps as the launch takes around its writes: a temporary name, an open, a close.
double TimeWrites(const char* folder, const std::vector<std::string>& pieces) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    char name[MAX_PATH];
    if (GetTempFileNameA(folder, "VB", 0, name) == 0) return -1;
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    for (const std::string& piece : pieces) {
        DWORD written = 0;
        WriteFile(file, piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr);
    }
    CloseHandle(file);
    QueryPerformanceCounter(&end);
    DeleteListFile(name);
    return Seconds(start, end);
}

}  // namespace

int main() {
    std::vector<std::string> paths = OrdinaryPaths();
    std::vector<std::vector<char>> buffers;
    std::vector<char*> selected;
    std::string whole = std::to_string(kPaths) + "\r\n";
    std::vector<std::string> lineByLine = {whole};
    for (const std::string& path : paths) {
        buffers.emplace_back(MAX_PATH, '\0');
        std::copy(path.begin(), path.end(), buffers.back().begin());
        whole += path + "\r\n";
        lineByLine.push_back(path);
        lineByLine.push_back("\r\n");
    }
    for (std::vector<char>& buffer : buffers) selected.push_back(buffer.data());

    char folder[MAX_PATH + 1];
    DWORD n = GetTempPathA(MAX_PATH, folder);
    if (n == 0 || n > MAX_PATH) {
        std::fprintf(stderr, "bench_launch: no temporary folder\n");
        return 1;
    }

    SystemCalls.WinExec = &NoViewer;
    std::vector<double> launch, oneWrite, perLine;
    for (int run = 0; run < kRuns; ++run) {
        LARGE_INTEGER start, end;
        lastCommandLine.clear();
        QueryPerformanceCounter(&start);
        LaunchViewer(selected.back(), selected.data(), kPaths);
        QueryPerformanceCounter(&end);
        std::string listFile = ListFileNamedIn(lastCommandLine);
        if (listFile.empty()) {
            std::fprintf(stderr, "bench_launch: the launch named no list file: \"%s\"\n",
                         lastCommandLine.c_str());
            return 1;
        }
        DeleteListFile(listFile);
        launch.push_back(Seconds(start, end));
        oneWrite.push_back(TimeWrites(folder, {whole}));
        perLine.push_back(TimeWrites(folder, lineByLine));
        if (oneWrite.back() < 0 || perLine.back() < 0) {
            std::fprintf(stderr, "bench_launch: cannot write into %s\n", folder);
            return 1;
        }
    }

    double launchMs = Median(launch) * 1000, oneMs = Median(oneWrite) * 1000,
           perLineMs = Median(perLine) * 1000;
    std::printf("viewer launch, %d paths, %zu bytes of list file, median of %d runs (%d-bit)\n",
                kPaths, whole.size(), kRuns, int(sizeof(void*) * 8));
    std::printf("%-52s %10s %8s\n", "what", "ms", "ratio");
    std::printf("%-52s %10.3f %8.2f\n", "LaunchViewer, list-file form (no viewer started)",
                launchMs, 1.0);
    std::printf("%-52s %10.3f %8.2f\n", "one WriteFile of the same bytes", oneMs, launchMs / oneMs);
    std::printf("%-52s %10.3f %8.2f\n", "one WriteFile per path and per line end", perLineMs,
                launchMs / perLineMs);
    std::printf(
        "(ratio: LaunchViewer's time divided by that row's; each write row includes "
        "taking a temporary name, opening and closing the file)\n");
    return 0;
}
