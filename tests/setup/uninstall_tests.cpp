// The uninstallation flow on the test prefix after a real installation by the INF file: the
// real registry, the real files and their real refusals; the user's answers, the pauses and
// flushes scripted. Every case runs in French, Japanese and English.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow_test_support.h"
#include "scripted_user.h"
#include "setup_test_support.h"
#include "startup.h"
#include "test_files.h"

namespace {

using flowtest::Ansi;
using flowtest::BoxLine;
using flowtest::ExpectedDisplayName;
using flowtest::HKCR;
using flowtest::HKCU;
using flowtest::HKLM;
using flowtest::JapaneseRun;
using setuptest::KeyExists;
using setuptest::SetStringValue;
using Calls = std::vector<std::string>;

std::string QuestionCaption() {
    return ExpectedDisplayName() + Ansi(u" Français ", 1252);
}

std::string ConfirmationBox() {
    std::string text = JapaneseRun()
                           ? ExpectedDisplayName() + Ansi(u" をアンインストールしますか？", 932)
                           : Ansi(u" Cela supprimera les composants de ", 1252) +
                                 ExpectedDisplayName() + Ansi(u". D'accord?", 1252);
    return BoxLine(0x124, QuestionCaption(), text);
}

// The path that the report names: always under the system folder as the program sees it.
std::string SetupFileNamed() {
    return flowtest::SystemFolder() + "\\Shellext\\vmxinst.exe";
}

std::string ReportBox() {
    std::string text =
        JapaneseRun()
            ? Ansi(u"アンインストールが終了しました。  \r\r", 932) + SetupFileNamed() +
                  Ansi(u"を削除するためにコンピュータを再起動する必要があります。", 932)
            : Ansi(u"Désinstallation OK. \r\rRemarque: ", 1252) + SetupFileNamed() +
                  Ansi(u" sera supprimé dès le prochain redémarrage de Windows...   ", 1252);
    return BoxLine(0x20, ExpectedDisplayName() + " uninstall", text);
}

std::string AccessDeniedBox(const std::string& path) {
    std::string intro =
        JapaneseRun() ? Ansi(u"アクセスできません : ", 932) : Ansi(u"Acces refusé à :   ", 1252);
    return BoxLine(0x35, QuestionCaption(), intro + path);
}

const Calls kRegistryWork = {"flush HKCR", "sleep 3000", "flush HKCR",
                             "flush HKLM", "flush HKCU", "sleep 3000"};

Calls Conversation(const Calls& before, const Calls& after) {
    Calls calls(before);
    calls.insert(calls.end(), kRegistryWork.begin(), kRegistryWork.end());
    calls.insert(calls.end(), after.begin(), after.end());
    return calls;
}

std::string Installed(const std::string& name) {
    return flowtest::ShellextFolder() + "\\" + name;
}

// The file in every folder that holds the product.
std::vector<std::string> EveryInstalled(const std::string& name) {
    std::vector<std::string> files;
    for (const std::string& folder : flowtest::ShellextFolders())
        files.push_back(folder + "\\" + name);
    return files;
}

// Without WOW64's file-system redirection: the files as the system's own restart
// processing sees them.
bool ExistsNatively(const std::string& path) {
    PVOID redirection = nullptr;
    BOOL disabled = Wow64DisableWow64FsRedirection(&redirection);
    bool exists = vmxtest::FileExists(path);
    if (disabled) Wow64RevertWow64FsRedirection(redirection);
    return exists;
}

class Uninstallation : public ::testing::Test {
protected:
    int Uninstall() {
        flowtest::ScopedScript scripted(script_);
        return RunSetup("vmxinst.exe /uninstall");
    }

    // What an installation with the offer accepted leaves, and the user's settings.
    void InstallProduct() {
        flowtest::InstallWithInf(source_);
        for (const std::string& verb : {flowtest::kDriveVerb, flowtest::kDirectoryVerb}) {
            SetStringValue(HKCR, verb, "", "&Infos disque");
            SetStringValue(HKCR, verb + "\\command", "", "vmxtool.exe \"%1\" /dinfo");
        }
        SetStringValue(HKCU, "Software\\Caldwyn\\Vellumax\\lastModified\\Files", "1", "a");
        SetStringValue(HKCU, "Software\\Caldwyn\\Vellumax\\setting", "Sort", "name");
    }

    flowtest::ProductStateGuard guard_;
    flowtest::InstallSource source_;
    flowtest::Script script_;
};

TEST_F(Uninstallation, NoAtTheConfirmationChangesNothing) {
    InstallProduct();
    script_.answers = {IDNO};

    EXPECT_EQ(0, Uninstall());

    EXPECT_EQ(Calls{ConfirmationBox()}, script_.calls);
    EXPECT_TRUE(KeyExists(HKCR, flowtest::kClassKey));
    EXPECT_TRUE(KeyExists(HKCR, flowtest::kDriveVerb));
    EXPECT_TRUE(KeyExists(HKLM, flowtest::kUninstallEntry, flowtest::NativeView()));
    EXPECT_TRUE(KeyExists(HKCU, "Software\\Caldwyn\\Vellumax\\setting"));
    for (const char* name : {"vmxtool.dll", "vmxtool.exe", "vmxtool.txt", "vmxinst.exe"})
        for (const std::string& file : EveryInstalled(name))
            EXPECT_TRUE(vmxtest::FileExists(file)) << file << " went";
    EXPECT_FALSE(flowtest::PendingRenamesPresent()) << "a restart deletion was registered";
}

TEST_F(Uninstallation, RemovesKeysAndFilesAndLeavesTheSetupProgramToTheRestart) {
    InstallProduct();
    // Another extension approved beside this one keeps its approval.
    const std::string other = "{11111111-2222-3333-4444-555555555555}";
    flowtest::ScopedStringValue otherApproval(HKLM, flowtest::kApproved, other, "Other");
    script_.answers = {IDYES, IDOK};

    EXPECT_EQ(0, Uninstall());

    EXPECT_EQ(Conversation({ConfirmationBox()}, {ReportBox()}), script_.calls);
    for (REGSAM view : flowtest::RegistryViews()) {
        SCOPED_TRACE("registry view " + std::to_string(view));
        for (const std::string& key :
             {flowtest::kClassKey, flowtest::kFileHandler, flowtest::kFolderHandler,
              flowtest::kDriveVerb, flowtest::kDirectoryVerb})
            EXPECT_FALSE(KeyExists(HKCR, key, view)) << key << " stayed";
        EXPECT_FALSE(KeyExists(HKLM, flowtest::kUninstallEntry, view));
        EXPECT_FALSE(setuptest::ReadValue(HKLM, flowtest::kApproved, flowtest::kClassId, view).found)
            << "the class is still approved";
    }
    EXPECT_TRUE(setuptest::ReadValue(HKLM, flowtest::kApproved, other).found)
        << "another extension's approval went";
    EXPECT_FALSE(KeyExists(HKCU, "Software\\Caldwyn")) << "the empty maker's key stayed";
    for (const char* name : {"vmxtool.dll", "vmxtool.exe", "vmxtool.txt"})
        for (const std::string& file : EveryInstalled(name))
            EXPECT_FALSE(vmxtest::FileExists(file)) << file << " stayed";
    const std::vector<std::string> setupFiles = EveryInstalled("vmxinst.exe");
    for (const std::string& file : setupFiles)
        EXPECT_TRUE(vmxtest::FileExists(file)) << file << " deleted before the restart";

    // One pending deletion per installed copy, naming it where the restart processing will
    // find it, then one per Shellext folder, which goes when it is empty then.
    std::vector<std::string> pending = flowtest::PendingRenames();
    const std::vector<std::string> folders = flowtest::KnownShellextFolders();
    ASSERT_EQ(2 * (setupFiles.size() + folders.size()), pending.size())
        << "expected a source and an empty target each";
    for (size_t i = 0; i < folders.size(); ++i)
        EXPECT_EQ("\\??\\" + folders[i], pending[pending.size() - 2 * (folders.size() - i)]);
    pending.resize(pending.size() - 2 * folders.size());
    std::vector<std::string> scheduled;
    for (size_t i = 0; i < pending.size(); i += 2) {
        EXPECT_EQ("", pending[i + 1]);
        ASSERT_EQ(0u, pending[i].find("\\??\\")) << pending[i];
        scheduled.push_back(pending[i].substr(4));
        EXPECT_TRUE(ExistsNatively(scheduled.back()))
            << scheduled.back() << " is not an installed setup program";
    }
    for (const std::string& file : setupFiles) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
    }
    for (const std::string& file : scheduled)
        EXPECT_FALSE(ExistsNatively(file)) << file << " is another file than the installed ones";
}

TEST_F(Uninstallation, AccessDeniedWithRetryThenCancelLeavesThatFileToTheRestart) {
    // Every folder's DLL refuses; each box names it as the user knows it.
    InstallProduct();
    const std::vector<std::string> dlls = EveryInstalled("vmxtool.dll");
    std::vector<std::string> known;
    for (const std::string& folder : flowtest::KnownShellextFolders())
        known.push_back(folder + "\\vmxtool.dll");
    for (const std::string& dll : dlls) SetFileAttributesA(dll.c_str(), FILE_ATTRIBUTE_READONLY);
    script_.answers = {IDYES, IDRETRY, IDCANCEL};
    Calls boxes = {AccessDeniedBox(known[0]), AccessDeniedBox(known[0])};
    for (size_t i = 1; i < dlls.size(); ++i) {
        script_.answers.push_back(IDCANCEL);
        boxes.push_back(AccessDeniedBox(known[i]));
    }
    script_.answers.push_back(IDOK);
    boxes.push_back(ReportBox());

    EXPECT_EQ(0, Uninstall());

    EXPECT_EQ(Conversation({ConfirmationBox()}, boxes), script_.calls);
    for (const std::string& dll : dlls) EXPECT_TRUE(vmxtest::FileExists(dll));
    for (const char* name : {"vmxtool.exe", "vmxtool.txt"})
        for (const std::string& file : EveryInstalled(name))
            EXPECT_FALSE(vmxtest::FileExists(file)) << "the flow stopped at the refusal: " << file;
    // Each DLL that stayed is the first of the pending deletions, by its known name.
    const std::vector<std::string> pending = flowtest::PendingRenames();
    ASSERT_GE(pending.size(), 2 * known.size());
    for (size_t i = 0; i < known.size(); ++i) {
        EXPECT_EQ("\\??\\" + known[i], pending[2 * i]);
        EXPECT_EQ("", pending[2 * i + 1]);
    }
}

// Windows 11's command has a folder of its own, which goes whole, with what the package
// manager may have put there; a DLL that a COM surrogate holds goes at the restart, then
// that folder, both before the Shellext folder that holds them.
TEST_F(Uninstallation, TheMenuCommandsFolderGoesWholeAHeldDllAndTheFolderAtTheRestart) {
    if (sizeof(void*) != 8) GTEST_SKIP() << "the 64-bit program serves 64-bit Windows";
    InstallProduct();
    const std::string menu = flowtest::MenuFolder();
    const std::string dll = menu + "\\vmxmenu.dll";
    ASSERT_TRUE(vmxtest::FileExists(dll)) << "the INF file did not install " << dll;
    vmxtest::WriteFileBytes(menu + "\\resources.pri", "left by the package manager");
    script_.answers = {IDYES, IDOK};
    // Open without delete sharing, as a loaded DLL is.
    HANDLE held = CreateFileA(dll.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const int exitCode = Uninstall();
    CloseHandle(held);

    EXPECT_EQ(0, exitCode);
    EXPECT_EQ(std::vector<std::string>{"vmxmenu.dll"}, vmxtest::FolderEntries(menu))
        << "expected only the held DLL left in " << menu;
    const std::vector<std::string> pending = flowtest::PendingRenames();
    auto at = [&](const std::string& path) {
        for (size_t i = 0; i < pending.size(); i += 2)
            if (pending[i] == "\\??\\" + path) return static_cast<long>(i);
        return -1L;
    };
    const long dllAt = at(dll), folderAt = at(menu), shellextAt = at(flowtest::ShellextFolder());
    EXPECT_NE(-1L, dllAt) << "the held DLL is not left to the restart";
    EXPECT_LT(dllAt, folderAt) << "expected the DLL, then its folder";
    EXPECT_LT(folderAt, shellextAt) << "expected the command's folder before Shellext";
}

TEST_F(Uninstallation, RetryAfterTheRefusalIsGoneDeletesTheFile) {
    InstallProduct();
    const std::string dll = Installed("vmxtool.dll");
    SetFileAttributesA(dll.c_str(), FILE_ATTRIBUTE_READONLY);
    script_.answers = {IDYES, IDRETRY, IDOK};
    script_.atBox = [&](const std::string& text) {
        // While the refusal is on screen, the user makes the file deletable.
        if (text.find(dll) != std::string::npos)
            SetFileAttributesA(dll.c_str(), FILE_ATTRIBUTE_NORMAL);
    };

    EXPECT_EQ(0, Uninstall());

    EXPECT_EQ(Conversation({ConfirmationBox()}, {AccessDeniedBox(dll), ReportBox()}),
              script_.calls);
    EXPECT_FALSE(vmxtest::FileExists(dll));
}

// What an earlier version left on Windows on ARM can still be removed.
TEST_F(Uninstallation, RunsOnAMachineThatTheInstallationRefuses) {
    InstallProduct();
    script_.answers = {IDYES, IDOK};
    script_.nativeMachine = IMAGE_FILE_MACHINE_ARM64;

    EXPECT_EQ(0, Uninstall());

    EXPECT_EQ(Conversation({ConfirmationBox()}, {ReportBox()}), script_.calls);
    EXPECT_FALSE(KeyExists(HKCR, flowtest::kClassKey));
    for (const std::string& file : EveryInstalled("vmxtool.dll"))
        EXPECT_FALSE(vmxtest::FileExists(file)) << file << " stayed";
}

TEST_F(Uninstallation, CleanSystemShowsOnlyTheConfirmationAndTheReport) {
    script_.answers = {IDYES, IDOK};

    EXPECT_EQ(0, Uninstall());

    EXPECT_EQ(Conversation({ConfirmationBox()}, {ReportBox()}), script_.calls);
    EXPECT_FALSE(KeyExists(HKCU, "Software\\Caldwyn")) << "the maker's key was left behind";
}

}  // namespace
