#include "restart_delete.h"

#include <windows.h>

#include <algorithm>

#include "environment.h"
#include "errors.h"
#include "string_list.h"

namespace {

std::string WininitPath() {
    return FolderText(WindowsDir) + "\\wininit.ini";
}

std::string UpperCased(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool IsSectionLine(const std::string& line) {
    return UpperCased(line).find("[RENAME]") != std::string::npos;
}

// Loads the file into the list; false when it cannot be opened, which both operations
// take as "nothing to edit".
bool LoadIfPossible(TStringList& lines, const std::string& path) {
    try {
        lines.LoadLines(path);
        return true;
    } catch (const EFOpenError&) {
        return false;
    }
}

}  // namespace

std::string FileNamePart(const std::string& text) {
    std::string::size_type separator = text.find_last_of("\\:");
    std::string name = separator == std::string::npos ? text : text.substr(separator + 1);
    if (name.size() > 255) name.resize(255);
    return name;
}

void ScheduleDeleteAtRestart(const std::string& path) {
    const std::string file = WininitPath();
    bool inserted = false;
    {
        TStringList lines;
        if (LoadIfPossible(lines, file)) {
            // The inserted line is stepped over: the scan goes on with the line that followed
            // the section line before the insertion.
            for (int i = 0; i < lines.LineCount(); ++i) {
                if (!IsSectionLine(lines.LineAt(i))) continue;
                ++i;
                if (i < lines.LineCount()) {
                    inserted = true;
                    lines.InsertLine(i, "NUL=" + path);
                    lines.SaveLines(file);
                }
            }
        }
    }
    if (!inserted) WritePrivateProfileStringA("Rename", "NUL", path.c_str(), file.c_str());
}

void CancelScheduledDeletes(const std::vector<std::string>& paths) {
    const std::string file = WininitPath();
    TStringList lines;
    if (!LoadIfPossible(lines, file)) return;
    std::vector<std::string> wanted;
    for (const std::string& path : paths) wanted.push_back(UpperCased("NUL=" + path));
    bool inSection = false;
    bool removed = false;
    for (int i = 0; i < lines.LineCount();) {
        const std::string line = UpperCased(lines.LineAt(i));
        if (IsSectionLine(line)) {
            inSection = true;
        } else if (line.find('[') == 0) {
            inSection = false;
        } else if (inSection && std::find(wanted.begin(), wanted.end(), line) != wanted.end()) {
            lines.DeleteLine(i);
            removed = true;
            continue;
        }
        ++i;
    }
    if (removed) lines.SaveLines(file);
}

void CancelPendingSelfDelete() {
    const std::string file = WininitPath();
    TStringList lines;
    if (!LoadIfPossible(lines, file)) return;

    char ownPath[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, ownPath, sizeof ownPath);
    const std::string ownName = UpperCased(FileNamePart(ownPath));

    for (int i = 0; i < lines.LineCount(); ++i) {
        if (!IsSectionLine(lines.LineAt(i))) continue;
        ++i;
        // The search runs to the end of the file, past later section headers, and stops at
        // the first entry that names the running program.
        while (i < lines.LineCount()) {
            std::string line = lines.LineAt(i);
            std::string::size_type marker = UpperCased(line).find("NUL=");
            if (marker != std::string::npos) {
                std::string value = line.substr(marker + 4, MAX_PATH);
                if (UpperCased(FileNamePart(value)) == ownName) {
                    lines.DeleteLine(i);
                    lines.SaveLines(file);
                    break;
                }
            }
            ++i;
        }
    }
}
