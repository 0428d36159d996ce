#include "menu_registration.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "environment.h"
#include "errors.h"
#include "menu_folder.h"
#include "menu_package.h"
#include "registry.h"
#include "run_state.h"
#include "system_calls.h"
#include "trusted_people.h"
#include "vmxinst_version.h"
#include "windows64.h"

const std::string kMenuActiveSetupKey =
    std::string("Software\\Microsoft\\Active Setup\\Installed Components\\") + VMX_MENU_CLSID;

namespace {

const unsigned long kFirstWindows11Build = 22000;

// The DLL's own registration, as regsvr32 runs it: for whoever starts it.
std::string RegistrationCommand() {
    std::string command = "\"";
    command += FolderText(SystemDir);
    command += "\\regsvr32.exe\" /s \"";
    command += MenuFile("vmxmenu.dll");
    command += '"';
    return command;
}

std::string ReadMachineString(const char* key, const char* name) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return std::string();
    char value[64] = {};
    DWORD size = sizeof value - 1, type = 0;
    const LONG read = RegQueryValueExA(handle, name, nullptr, &type,
                                       reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(handle);
    if (read != ERROR_SUCCESS) return std::string();
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number;
        memcpy(&number, value, sizeof number);
        return std::to_string(number);
    }
    return type == REG_SZ ? std::string(value) : std::string();
}

// OOBE, or a machine being prepared for imaging: a package registered for a user now would
// disturb Sysprep.
bool FirstRunSetupDone() {
    const char key[] = "SYSTEM\\Setup";
    for (const char* name : {"SystemSetupInProgress", "OOBEInProgress"}) {
        const std::string value = ReadMachineString(key, name);
        if (!value.empty() && value != "0") return false;
    }
    return true;
}

#define VMX_TEXT(...) #__VA_ARGS__
#define VMX_VERSION_LIST(version) VMX_TEXT(version)

// Runs the registration once for each user at their next sign-in, the one signed in now
// included, unelevated, and again for everyone after an upgrade, whose version is higher.
bool WriteActiveSetupEntry() {
    try {
        TRegistry registry;
        registry.SelectRoot(HKEY_LOCAL_MACHINE);
        if (!registry.OpenPath(kMenuActiveSetupKey, true)) return false;
        registry.PutString("", ProductDisplayName);
        registry.PutString("Version", VMX_VERSION_LIST(VMX_VERSION_COMMAS));
        registry.PutString("StubPath", RegistrationCommand());
        const DWORD installed = 1;
        return RegSetValueExA(registry.CurrentHandle, "IsInstalled", 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&installed),
                              sizeof installed) == ERROR_SUCCESS;
    } catch (const Exception&) {
        return false;
    }
}

void LogMenu(const std::string& text) {
    LogUtf8("Windows 11 menu command: " + text);
}

std::string ExitText(DWORD code) {
    if (code == static_cast<DWORD>(-1)) return "it could not run as the desktop's user";
    char text[16];
    wsprintfA(text, "0x%08lX", code);
    return std::string("the registration ended with ") + text;
}

void RemoveActiveSetupEntry() {
    TRegistry registry;
    registry.SelectRoot(HKEY_LOCAL_MACHINE);
    registry.RemoveTree(kMenuActiveSetupKey);
}

}  // namespace

unsigned long WindowsBuildNumber() {
    const std::string build =
        ReadMachineString("Software\\Microsoft\\Windows NT\\CurrentVersion", "CurrentBuildNumber");
    return std::strtoul(build.c_str(), nullptr, 10);
}

bool MenuCommandWanted() {
    return RunsOn64BitWindows() && SystemCalls.NativeMachine() == IMAGE_FILE_MACHINE_AMD64 &&
           WindowsBuildNumber() >= kFirstWindows11Build && !SystemCalls.SafeMode() &&
           FirstRunSetupDone();
}

void ForgetEarlierMenuCertificate() {
    if (!RunsOn64BitWindows()) return;
    const std::string earlier = MenuFile("vmxmenu.cer");
    if (GetFileAttributesA(earlier.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ForgetCertificateFile(earlier);
        DeleteFileA(earlier.c_str());
    }
    RetireEarlierMenuLayout();
}

void RegisterMenuCommand() {
    if (!MenuCommandWanted()) return;
    const std::string certificate = MenuFile("vmxmenu.cer");
    bool added = false;
    const bool ownCertificate = GetFileAttributesA(certificate.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (ownCertificate && !TrustCertificateFile(certificate, added)) {
        LogMenu("its certificate could not be put into TrustedPeople; only the classic menu "
                "item serves");
        return;
    }
    if (!WriteActiveSetupEntry()) {
        LogMenu("the Active Setup entry could not be written; nobody will get the command "
                "at their sign-in");
        if (added) ForgetCertificateFile(certificate);
        return;
    }
    LogMenu("every user gets it at their next sign-in");
    // A best effort: its failure leaves everything as it is for the next sign-in.
    const DWORD registered = SystemCalls.RunAsDesktopUser(RegistrationCommand().c_str());
    if (registered == 0)
        LogMenu("registered for the desktop's user");
    else
        LogMenu("not registered for the desktop's user now (" + ExitText(registered) +
                "); it will be at their next sign-in");
    // Explorer reads the packaged commands when it starts: no notification brings this one.
    LogMenu("it appears in the first menu after the next sign-in or a restart of Explorer");
}

void UnregisterMenuCommand() {
    if (!RunsOn64BitWindows()) return;
    if (FAILED(SystemCalls.RemoveMenuPackage(true))) SystemCalls.RemoveMenuPackage(false);
    RemoveActiveSetupEntry();
    const std::string certificate = MenuFile("vmxmenu.cer");
    if (GetFileAttributesA(certificate.c_str()) != INVALID_FILE_ATTRIBUTES)
        ForgetCertificateFile(certificate);
}
