#include "install_check.h"

#include <windows.h>

#include "windows64.h"

namespace {

const char kClassServer[] =
    "CLSID\\{0b95b7e0-c8b9-11cf-8f59-444553540000}\\InprocServer32";

}  // namespace

std::string MissingAfterInstall() {
    for (const std::string& folder : ProductFolders())
        for (const char* name : {"vmxtool.dll", "vmxtool.exe"}) {
            const std::string file = folder + "\\" + name;
            if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES)
                return "the INF installer did not install " + file;
        }
    // The registration was removed before the INF file ran: it is there only if it ran.
    for (REGSAM view : ProductRegistryViews()) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kClassServer, 0, KEY_READ | view, &key) !=
            ERROR_SUCCESS)
            return std::string("the INF installer did not register HKEY_CLASSES_ROOT\\") +
                   kClassServer + (view == KEY_WOW64_32KEY   ? " (32-bit view)"
                                   : view == KEY_WOW64_64KEY ? " (64-bit view)"
                                                             : "");
        RegCloseKey(key);
    }
    return std::string();
}
