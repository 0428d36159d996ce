// Windows 11's packaged menu command after the INF installation: registered for the desktop's
// user, with an Active Setup entry for every other user and the build's own certificate in
// the machine's TrustedPeople store, on x64 Windows from build 22000 on; elsewhere, or when
// the registration fails, nothing of it is left. Windows' answers come through the system
// call table where Wine has none (safe mode, the registration's outcome); the build number
// and the first-run setup are the prefix's registry, made to say what the case needs.
#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include <optional>
#include <string>
#include <vector>

#include "environment.h"
#include "flow_test_support.h"
#include "menu_package.h"
#include "menu_registration.h"
#include "scripted_user.h"
#include "setup_test_support.h"
#include "startup.h"
#include "test_files.h"

namespace {

using flowtest::HKLM;

const char kCurrentVersion[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
const char kSetupKey[] = "SYSTEM\\Setup";

// A machine value made to say something for a scope, and put back as it was after.
class ScopedMachineValue {
public:
    ScopedMachineValue(const char* key, const char* name, const std::string& text)
        : key_(key), name_(name) {
        const setuptest::ValueRead read = setuptest::ReadValue(HKLM, key, name);
        existed_ = read.found;
        saved_ = read.bytes;
        type_ = read.type;
        setuptest::SetStringValue(HKLM, key, name, text);
    }
    ~ScopedMachineValue() {
        HKEY handle;
        if (RegOpenKeyExA(HKLM, key_.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
        if (existed_)
            RegSetValueExA(handle, name_.c_str(), 0, type_,
                           reinterpret_cast<const BYTE*>(saved_.data()), static_cast<DWORD>(saved_.size()));
        else
            RegDeleteValueA(handle, name_.c_str());
        RegCloseKey(handle);
    }
    ScopedMachineValue(const ScopedMachineValue&) = delete;
    ScopedMachineValue& operator=(const ScopedMachineValue&) = delete;

private:
    std::string key_, name_, saved_;
    bool existed_ = false;
    DWORD type_ = REG_SZ;
};

std::string Shellext(const char* name) {
    return flowtest::ShellextFolder() + "\\" + name;
}

// Whether the machine's TrustedPeople store holds the certificate of the file.
bool Trusted(const std::string& cerFile) {
    if (!vmxtest::FileExists(cerFile)) return false;
    const std::string der = vmxtest::ReadFileBytes(cerFile);
    PCCERT_CONTEXT certificate = CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()));
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                     CERT_SYSTEM_STORE_LOCAL_MACHINE, "TrustedPeople");
    PCCERT_CONTEXT found = certificate && store ? CertFindCertificateInStore(
                                                      store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING,
                                                      certificate, nullptr)
                                                : nullptr;
    if (found) CertFreeCertificateContext(found);
    if (certificate) CertFreeCertificateContext(certificate);
    if (store) CertCloseStore(store, 0);
    return found != nullptr;
}

std::string RegistrationCommand() {
    std::string command = "\"";
    command += flowtest::SystemFolder() + "\\regsvr32.exe\" /s \"";
    command += Shellext("vmxmenu.dll") + "\"";
    return command;
}

class MenuRegistration : public ::testing::Test {
protected:
    void SetUp() override {
        source_.emplace();
        flowtest::InstallWithInf(*source_);
        FillSystemFolders();
        ChooseProductDisplayName();
    }
    void TearDown() override {
        // The guard removes the files; the trust goes with the certificate's file.
        if (vmxtest::FileExists(Shellext("vmxmenu.cer"))) ForgetEarlierMenuCertificate();
    }

    flowtest::ProductStateGuard guard_;
    std::optional<flowtest::InstallSource> source_;
};

TEST_F(MenuRegistration, OnlyWindows11OnX64OutsideSafeModeAndFirstRunSetupRegisters) {
    const bool ownCertificate = vmxtest::FileExists(Shellext("vmxmenu.cer"));
    const bool serves = sizeof(void*) == 8;  // the 64-bit program serves 64-bit Windows
    const struct {
        const char* what;
        const char* build;
        BOOL safeMode;
        const char* setupInProgress;
        USHORT machine;
        DWORD registration;  // exit code of the registration run as the desktop's user
        bool registers, stays;
    } cases[] = {
        {"Windows 11, registered", "22000", FALSE, "0", 0, 0, true, true},
        {"a later Windows 11, registered", "26100", FALSE, "0", 0, 0, true, true},
        {"Windows 11, the registration fails", "22631", FALSE, "0", 0, 5, true, false},
        {"Windows 10", "19045", FALSE, "0", 0, 0, false, false},
        {"safe mode", "22000", TRUE, "0", 0, 0, false, false},
        {"first-run setup not done", "22000", FALSE, "1", 0, 0, false, false},
        {"Windows on ARM", "22000", FALSE, "0", IMAGE_FILE_MACHINE_ARM64, 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedMachineValue build(kCurrentVersion, "CurrentBuildNumber", c.build);
        ScopedMachineValue oobe(kSetupKey, "SystemSetupInProgress", c.setupInProgress);
        flowtest::Script script;
        script.safeMode = c.safeMode;
        script.nativeMachine = c.machine;
        script.scriptDesktopUser = true;
        script.desktopUserExit = c.registration;
        {
            flowtest::ScopedScript scripted(script);
            RegisterMenuCommand();
        }
        const bool registers = serves && c.registers, stays = serves && c.stays;
        EXPECT_EQ(registers ? std::vector<std::string>{"as the desktop's user: " +
                                                       vmxtest::Escaped(RegistrationCommand())}
                            : std::vector<std::string>{},
                  script.menuCalls);
        const std::string entry = kMenuActiveSetupKey;
        EXPECT_EQ(stays, setuptest::KeyExists(HKLM, entry)) << "the Active Setup entry";
        if (stays) {
            EXPECT_EQ(RegistrationCommand() + '\0', setuptest::ReadValue(HKLM, entry, "StubPath").bytes);
            EXPECT_EQ(std::string("1,0,0,1") + '\0', setuptest::ReadValue(HKLM, entry, "Version").bytes);
            EXPECT_EQ(std::string("\1\0\0\0", 4), setuptest::ReadValue(HKLM, entry, "IsInstalled").bytes);
        }
        EXPECT_EQ(stays && ownCertificate, Trusted(Shellext("vmxmenu.cer"))) << "TrustedPeople";
        // The next case starts as an installation that did not register.
        flowtest::Script cleanup;
        {
            flowtest::ScopedScript scripted(cleanup);
            UnregisterMenuCommand();
        }
        EXPECT_FALSE(setuptest::KeyExists(HKLM, entry));
        EXPECT_FALSE(Trusted(Shellext("vmxmenu.cer")));
        if (serves) {
            EXPECT_EQ(std::vector<std::string>({"remove the package for all users",
                                                "remove the package for this user"}),
                      cleanup.menuCalls)
                << "for every user first, for the one uninstalling where Windows refuses that";
        }
    }
}

// Wine made to report Windows 11: its package manager cannot register anything, and the
// real road ends where the classic menu alone would.
TEST_F(MenuRegistration, OnWineReportingBuild22000TheFailedRegistrationLeavesNothing) {
    ScopedMachineValue build(kCurrentVersion, "CurrentBuildNumber", "22000");
    RegisterMenuCommand();
    EXPECT_FALSE(setuptest::KeyExists(HKLM, kMenuActiveSetupKey));
    EXPECT_FALSE(Trusted(Shellext("vmxmenu.cer")));
    if (sizeof(void*) == 8) {
        EXPECT_TRUE(vmxtest::FileExists(Shellext("vmxmenu.dll")));
        EXPECT_TRUE(vmxtest::FileExists(Shellext("vmxmenu.msix")));
    }
}

}  // namespace
