#include "disk_info_verbs.h"

#include <windows.h>

#include "environment.h"
#include "registry.h"
#include "setup_texts.h"

std::string DiskInfoCommand() {
    std::string command = "\"";
    command += FolderText(SystemDir);
    command += "\\Shellext\\vmxtool.exe\" \"%1\" /dinfo";
    return command;
}

void WriteDiskInfoVerbs() {
    const std::string label =
        IsJapaneseSystem() ? Texts::DiskInfoLabelJapanese : Texts::DiskInfoLabelFrench;
    const std::string command = DiskInfoCommand();
    TRegistry registry;
    registry.SelectRoot(HKEY_CLASSES_ROOT);
    for (const std::string verb :
         {"Drive\\shell\\DiskInfoByVmax", "Directory\\shell\\DiskInfoByVmax"}) {
        // A key that cannot be opened leaves none open, so the write that follows fails and
        // raises instead of landing in another key.
        registry.OpenPath(verb, true);
        registry.PutString("", label);
        registry.ClosePath();
        registry.OpenPath(verb + "\\command", true);
        registry.PutString("", command);
        registry.ClosePath();
    }
}

void RemoveFolderVerb() {
    TRegistry registry;
    registry.SelectRoot(HKEY_CLASSES_ROOT);
    registry.RemoveTree("folder\\shell\\DiskInfoByVmax");
}
