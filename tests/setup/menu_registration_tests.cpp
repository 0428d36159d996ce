// Windows 11's packaged menu command after the INF installation, on x64 Windows from build
// 22000 on: an Active Setup entry for every user's next sign-in and the build's own
// certificate in the machine's TrustedPeople store, which stay until the uninstallation
// whatever becomes of the registration for the desktop's user (nobody signed in, another
// account's shell, Windows refusing); the log says what came of it and when the command
// appears. Elsewhere nothing of it is written. Windows' answers come through the system
// call table where Wine has none (safe mode, the registration's outcome); the build number
// and the first-run setup are the prefix's registry, made to say what the case needs.
#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "environment.h"
#include "flow_test_support.h"
#include "menu_package.h"
#include "menu_registration.h"
#include "run_options.h"
#include "run_state.h"
#include "scripted_user.h"
#include "setup_log.h"
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

std::string MenuFile(const char* name) {
    return flowtest::MenuFolder() + "\\" + name;
}

// What the work wrote into the run's log about the menu command, one entry per line.
std::vector<std::string> MenuLogLines(const std::function<void()>& work) {
    vmxtest::TempFolder folder("vmxlog");
    const std::string path = folder.Path() + "\\setup.log";
    {
        SetupLog log;
        if (!log.Open(path)) ADD_FAILURE() << "cannot write " << path;
        RunOptions options;
        ScopedRun run(options, log);
        work();
    }
    std::vector<std::string> lines;
    const std::string text = vmxtest::FileExists(path) ? vmxtest::ReadFileBytes(path) : "";
    const std::string tag = "Windows 11 menu command: ";
    for (std::string::size_type at = text.find(tag); at != std::string::npos;
         at = text.find(tag, at)) {
        at += tag.size();
        lines.push_back(text.substr(at, text.find("\r\n", at) - at));
    }
    return lines;
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
    command += MenuFile("vmxmenu.dll") + "\"";
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
        if (vmxtest::FileExists(MenuFile("vmxmenu.cer"))) ForgetEarlierMenuCertificate();
    }

    flowtest::ProductStateGuard guard_;
    std::optional<flowtest::InstallSource> source_;
};

const char kEveryUser[] = "every user gets it at their next sign-in";
const char kAppears[] =
    "it appears in the first menu after the next sign-in or a restart of Explorer";

TEST_F(MenuRegistration, OnWindows11TheEntryAndTrustStayWhateverTheDesktopUsersRegistration) {
    const bool ownCertificate = vmxtest::FileExists(MenuFile("vmxmenu.cer"));
    const bool serves = sizeof(void*) == 8;  // the 64-bit program serves 64-bit Windows
    const DWORD notRun = static_cast<DWORD>(-1);
    const struct {
        const char* what;
        const char* build;
        BOOL safeMode;
        const char* setupInProgress;
        USHORT machine;
        DWORD registration;  // exit code of the registration run as the desktop's user
        bool wanted;
        const char* logged;  // the line between kEveryUser and kAppears
    } cases[] = {
        {"Windows 11, registered", "22000", FALSE, "0", 0, 0, true,
         "registered for the desktop's user"},
        {"a later Windows 11, registered", "26100", FALSE, "0", 0, 0, true,
         "registered for the desktop's user"},
        {"Windows 11 refuses the registration", "22631", FALSE, "0", 0, 0x80073CF3, true,
         "not registered for the desktop's user now (the registration ended with 0x80073CF3); "
         "it will be at their next sign-in"},
        // Run as SYSTEM with nobody signed in there is no desktop shell; the desktop of
        // another account is out of reach where SeDebugPrivilege cannot be enabled.
        {"nobody signed in, or another account's shell out of reach", "22000", FALSE, "0", 0,
         notRun, true,
         "not registered for the desktop's user now (it could not run as the desktop's user); "
         "it will be at their next sign-in"},
        {"Windows 10", "19045", FALSE, "0", 0, 0, false, nullptr},
        {"safe mode", "22000", TRUE, "0", 0, 0, false, nullptr},
        {"first-run setup not done", "22000", FALSE, "1", 0, 0, false, nullptr},
        {"Windows on ARM", "22000", FALSE, "0", IMAGE_FILE_MACHINE_ARM64, 0, false, nullptr},
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
        const std::vector<std::string> logged = MenuLogLines([&] {
            flowtest::ScopedScript scripted(script);
            RegisterMenuCommand();
        });
        const bool wanted = serves && c.wanted;
        EXPECT_EQ(wanted ? std::vector<std::string>{"as the desktop's user: " +
                                                    vmxtest::Escaped(RegistrationCommand())}
                         : std::vector<std::string>{},
                  script.menuCalls);
        const std::vector<std::string> expectedLog =
            wanted ? std::vector<std::string>{kEveryUser, c.logged, kAppears}
                   : std::vector<std::string>{};
        EXPECT_EQ(expectedLog, logged);
        const std::string entry = kMenuActiveSetupKey;
        EXPECT_EQ(wanted, setuptest::KeyExists(HKLM, entry)) << "the Active Setup entry";
        if (wanted) {
            EXPECT_EQ(RegistrationCommand() + '\0',
                      setuptest::ReadValue(HKLM, entry, "StubPath").bytes);
            EXPECT_EQ(std::string("1,0,0,1") + '\0',
                      setuptest::ReadValue(HKLM, entry, "Version").bytes);
            EXPECT_EQ(std::string("\1\0\0\0", 4),
                      setuptest::ReadValue(HKLM, entry, "IsInstalled").bytes);
        }
        EXPECT_EQ(wanted && ownCertificate, Trusted(MenuFile("vmxmenu.cer"))) << "TrustedPeople";
        // The next case starts as an installation that did not register.
        flowtest::Script cleanup;
        {
            flowtest::ScopedScript scripted(cleanup);
            UnregisterMenuCommand();
        }
        EXPECT_FALSE(setuptest::KeyExists(HKLM, entry));
        EXPECT_FALSE(Trusted(MenuFile("vmxmenu.cer")));
        if (serves) {
            EXPECT_EQ(std::vector<std::string>(
                          {"remove the package for all users", "remove the package for this user"}),
                      cleanup.menuCalls)
                << "for every user first, for the one uninstalling where Windows refuses that";
        }
    }
}

// Wine made to report Windows 11: the DLL's registration really runs and fails, as Wine
// has no package manager; what the next sign-in needs stays until the uninstallation.
TEST_F(MenuRegistration, OnWineReportingBuild22000TheEntryAndCertificateStayUntilUninstalled) {
    if (sizeof(void*) != 8) GTEST_SKIP() << "the 64-bit program serves 64-bit Windows";
    ScopedMachineValue build(kCurrentVersion, "CurrentBuildNumber", "22000");
    const bool ownCertificate = vmxtest::FileExists(MenuFile("vmxmenu.cer"));
    const std::vector<std::string> logged = MenuLogLines([] { RegisterMenuCommand(); });
    ASSERT_EQ(3u, logged.size()) << "expected three lines about the menu command";
    EXPECT_EQ(kEveryUser, logged[0]);
    EXPECT_EQ(0u, logged[1].find("not registered for the desktop's user now")) << logged[1];
    EXPECT_EQ(kAppears, logged[2]);
    EXPECT_TRUE(setuptest::KeyExists(HKLM, kMenuActiveSetupKey));
    EXPECT_EQ(ownCertificate, Trusted(MenuFile("vmxmenu.cer")));
    for (const char* name : {"vmxmenu.dll", "vmxtool.exe", "vmxmenu.msix", "vmxmenu.png"})
        EXPECT_TRUE(vmxtest::FileExists(MenuFile(name))) << name << " in the command's folder";

    UnregisterMenuCommand();
    EXPECT_FALSE(setuptest::KeyExists(HKLM, kMenuActiveSetupKey));
    EXPECT_FALSE(Trusted(MenuFile("vmxmenu.cer")));
}

}  // namespace
