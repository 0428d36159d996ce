// The installation flow on the test prefix: the real registry, the real files and the
// system's INF installer running the product's INF file; the user's answers, the pauses and
// the readme opening scripted. Every case runs in French, Japanese and English.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "flow_test_support.h"
#include "scripted_user.h"
#include "setup_test_support.h"
#include "setup_texts.h"
#include "startup.h"
#include "test_files.h"

namespace {

using flowtest::Ansi;
using flowtest::BoxLine;
using flowtest::ExpectedDisplayName;
using flowtest::HKCR;
using flowtest::HKLM;
using flowtest::JapaneseRun;
using setuptest::KeyExists;
using setuptest::ReadValue;
using setuptest::SetStringValue;
using Calls = std::vector<std::string>;

std::string Caption() {
    return ExpectedDisplayName() + " FR   ";
}

std::string StartBox() {
    std::string text =
        JapaneseRun() ? ExpectedDisplayName() + Ansi(u" のインストールを開始します.", 932)
                      : Ansi(u" Voici la version FRANÇAISE de ", 1252) + ExpectedDisplayName() +
                            Ansi(u"\r\r\"OK\" pour débuter l'installation.", 1252);
    return BoxLine(0x41, Caption(), text);
}

std::string OfferBox() {
    std::string text =
        JapaneseRun()
            ? Ansi(
                  u"エクスプローラでのフォルダの右クリックメニューに「ディスク情報」表示機能を追加"
                  u"します.",
                  932)
            : Ansi(
                  u"Votre système peut être configuré pour lancer 'Infos disque' depuis le menu "
                  u"contextuel de l'Explorer.",
                  1252);
    return BoxLine(0x41, Caption(), text);
}

std::string MissingInfBox(const std::string& path) {
    std::string intro = JapaneseRun() ? Ansi(u"ファイルが見つかりません : ", 932)
                                      : Ansi(u"Impossible de trouver le fichier spécifié : ", 1252);
    return BoxLine(0x10, Caption(), intro + path);
}

std::string UnservedMachineBox() {
    std::string text =
        JapaneseRun()
            ? ExpectedDisplayName() +
                  Ansi(u" はこのパソコンの Windows にはインストールできません (x86 または x64 "
                       u"版の Windows が必要です).",
                       932)
            : Ansi(u"Installation impossible : ", 1252) + ExpectedDisplayName() +
                  Ansi(u" ne fonctionne que sur les versions x86 et x64 de Windows.", 1252);
    return BoxLine(0x10, Caption(), text);
}

std::string ReadmeAsUser() {
    return "open as user file=" +
           vmxtest::Escaped(flowtest::SystemFolder() + "\\shellext\\vmxtool.txt");
}

std::string ReadmeOpening() {
    return "open verb=- file=" +
           vmxtest::Escaped(flowtest::SystemFolder() + "\\shellext\\vmxtool.txt") +
           " params=- dir=- show=1";
}

std::string Value(HKEY root, const std::string& key, REGSAM view = 0) {
    setuptest::ValueRead read = ReadValue(root, key, "", view);
    if (!read.found) return "<missing>";
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), read.type) << key;
    return read.bytes;  // the terminating NUL included
}

std::string Sz(const std::string& text) {
    return text + std::string(1, '\0');
}

// In every folder that holds the product.
bool Installed(const std::string& name) {
    for (const std::string& folder : flowtest::ShellextFolders())
        if (!vmxtest::FileExists(folder + "\\" + name)) return false;
    return true;
}

class Installation : public ::testing::Test {
protected:
    int Install() {
        flowtest::ScopedScript scripted(script_);
        return RunSetup("vmxinst.exe");
    }

    // An earlier installation's verbs and registration, with marks that the INF file does
    // not write, in every registry view; on 64-bit Windows also the uninstall entry that
    // the earlier 32-bit package wrote into the 32-bit view.
    void PlantEarlierInstallation() {
        for (const std::string& verb :
             {flowtest::kDriveVerb, flowtest::kDirectoryVerb, flowtest::kFolderVerb}) {
            SetStringValue(HKCR, verb, "", "old label");
            SetStringValue(HKCR, verb + "\\command", "", "old.exe %1");
        }
        for (REGSAM view : flowtest::RegistryViews())
            setuptest::SetStringValue(HKCR, flowtest::kClassKey + "\\EarlierMark", "", "x", view);
        if (flowtest::On64BitWindows()) {
            SetStringValue(HKLM, flowtest::kUninstallEntry, "UninstallString", "old /uninstall");
            // Earlier versions put the 32-bit setup program into the native folder too.
            CreateDirectoryA(flowtest::NativeShellextFolder().c_str(), nullptr);
            vmxtest::WriteFileBytes(flowtest::NativeShellextFolder() + "\\vmxinst.exe",
                                    "earlier 32-bit setup program");
        }
    }

    static bool EarlierMarkLeft() {
        for (REGSAM view : flowtest::RegistryViews())
            if (KeyExists(HKCR, flowtest::kClassKey + "\\EarlierMark", view)) return true;
        return false;
    }

    flowtest::ProductStateGuard guard_;
    flowtest::Script script_;
};

TEST_F(Installation, MissingInfIsReportedWithTheCurrentFolderAndNothingChanges) {
    PlantEarlierInstallation();
    flowtest::InstallSource source;  // the INF exists, but not in the current folder
    vmxtest::TempFolder elsewhere;
    CreateDirectoryA(elsewhere.File("sub").c_str(), nullptr);
    vmxtest::TempFolder withFolderNamedLikeInf;
    CreateDirectoryA(withFolderNamedLikeInf.File("vmxtool.inf").c_str(), nullptr);

    for (const std::string& folder : {elsewhere.Path(), withFolderNamedLikeInf.Path()}) {
        SCOPED_TRACE("current folder " + folder);
        script_.calls.clear();
        script_.answers = {IDOK};
        {
            flowtest::ScopedCurrentDirectory current(folder);
            EXPECT_EQ(0, Install());
        }
        EXPECT_EQ(Calls{MissingInfBox(folder + "\\vmxtool.inf")}, script_.calls);
    }
    EXPECT_EQ(Sz("old label"), Value(HKCR, flowtest::kFolderVerb)) << "the folder verb was touched";
    EXPECT_EQ(Sz("old label"), Value(HKCR, flowtest::kDriveVerb)) << "the drive verb was touched";
    EXPECT_TRUE(EarlierMarkLeft()) << "registration removed";
    EXPECT_FALSE(Installed("vmxtool.dll"));
}

TEST_F(Installation, CancelAtTheStartChangesNothing) {
    // Esc on an OK/Cancel box answers Cancel too.
    PlantEarlierInstallation();
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    script_.answers = {IDCANCEL};

    EXPECT_EQ(0, Install());

    EXPECT_EQ(Calls{StartBox()}, script_.calls);
    EXPECT_EQ(Sz("old label"), Value(HKCR, flowtest::kFolderVerb));
    EXPECT_EQ(Sz("old label"), Value(HKCR, flowtest::kDirectoryVerb));
    EXPECT_TRUE(EarlierMarkLeft());
    EXPECT_FALSE(Installed("vmxtool.dll"));
}

TEST_F(Installation, AcceptedOfferWritesTheVerbsAndTheInfInstallsBeforeTheReadmeOpens) {
    PlantEarlierInstallation();
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    script_.answers = {IDOK, IDOK};
    bool installedWhenOpened = false;
    script_.atOpen = [&] {
        installedWhenOpened = Installed("vmxtool.dll") && Installed("vmxtool.exe") &&
                              Installed("vmxtool.txt") && Installed("vmxinst.exe") &&
                              KeyExists(HKLM, flowtest::kUninstallEntry, flowtest::NativeView());
    };

    EXPECT_EQ(0, Install());

    EXPECT_EQ((Calls{StartBox(), OfferBox(), "flush HKCR", "sleep 3000", "installer ended",
                     ReadmeOpening()}),
              script_.calls);
    EXPECT_EQ(script_.pollsTimedOut, script_.pollPauses) << "every poll that timed out pauses";
    EXPECT_TRUE(installedWhenOpened) << "the readme was opened before the INF file was done";

    const std::string label = JapaneseRun() ? Ansi(u"ディスク情報(&I)", 932) : "&Infos disque";
    std::string command = "\"";
    command += flowtest::SystemFolder() + "\\Shellext\\vmxtool.exe\" \"%1\" /dinfo";
    for (const std::string& verb : {flowtest::kDriveVerb, flowtest::kDirectoryVerb}) {
        EXPECT_EQ(Sz(label), Value(HKCR, verb)) << verb;
        EXPECT_EQ(Sz(command), Value(HKCR, verb + "\\command")) << verb;
    }
    EXPECT_FALSE(KeyExists(HKCR, flowtest::kFolderVerb)) << "the folder verb stayed";

    // The earlier registration went before the INF file wrote the new one: each view's
    // class names the extension of its own bitness, and the list of installed programs
    // has one entry, in the native view.
    EXPECT_FALSE(EarlierMarkLeft());
    for (REGSAM view : flowtest::RegistryViews()) {
        SCOPED_TRACE("registry view " + std::to_string(view));
        EXPECT_EQ(Sz(flowtest::ExtensionRegisteredIn(view)),
                  Value(HKCR, flowtest::kClassKey + "\\InprocServer32", view));
        // The handler entries are shared by both views on Windows; Wine shows them to 32-bit
        // programs, but not to a 64-bit one that asks for the 32-bit view.
        if (sizeof(void*) == 4 || view != KEY_WOW64_32KEY) {
            EXPECT_EQ(Sz(flowtest::kClassId), Value(HKCR, flowtest::kFileHandler, view));
            EXPECT_EQ(Sz(flowtest::kClassId), Value(HKCR, flowtest::kFolderHandler, view));
        }
        EXPECT_TRUE(ReadValue(HKLM, flowtest::kApproved, flowtest::kClassId, view).found);
    }
    std::string uninstallString(1, '"');
    uninstallString += flowtest::SystemFolder() + "\\Shellext\\vmxinst.exe\" /uninstall";
    EXPECT_EQ(Sz(uninstallString),
              ReadValue(HKLM, flowtest::kUninstallEntry, "UninstallString", flowtest::NativeView())
                  .bytes);
    if (flowtest::On64BitWindows()) {
        EXPECT_FALSE(KeyExists(HKLM, flowtest::kUninstallEntry, KEY_WOW64_32KEY))
            << "the earlier 32-bit package's entry stayed: two entries in the list";
    }
    EXPECT_EQ(vmxtest::ReadFileBytes(source.File("vmxtool.dll")),
              vmxtest::ReadFileBytes(flowtest::Shellext32Folder() + "\\vmxtool.dll"));
    // Each folder's setup program is of that folder's bitness: the list of installed
    // programs starts the native one.
    EXPECT_EQ(vmxtest::ReadFileBytes(source.File("vmxinst.exe")),
              vmxtest::ReadFileBytes(flowtest::Shellext32Folder() + "\\vmxinst.exe"));
    if (flowtest::On64BitWindows()) {
        EXPECT_EQ(vmxtest::ReadFileBytes(source.File("vmxtool64.dll")),
                  vmxtest::ReadFileBytes(flowtest::NativeShellextFolder() + "\\vmxtool.dll"));
        EXPECT_EQ(vmxtest::ReadFileBytes(source.File("vmxinst64.exe")),
                  vmxtest::ReadFileBytes(flowtest::NativeShellextFolder() + "\\vmxinst.exe"));
    }
}

// Elevated, the readme opens through the user's own shell, unelevated, or not at all: the
// user's association for .txt files never runs elevated. Unelevated, as it always did.
TEST_F(Installation, TheReadmeOpensAsTheUserWhenElevated) {
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    const Calls before = {StartBox(), OfferBox(), "flush HKCR", "sleep 3000", "installer ended"};
    struct Road {
        DWORD elevation;
        BOOL desktopOpens;
        Calls readme;
    } roads[] = {
        {TokenElevationTypeFull, TRUE, {ReadmeAsUser()}},
        {TokenElevationTypeFull, FALSE, {ReadmeAsUser()}},
        {TokenElevationTypeLimited, TRUE, {ReadmeOpening()}},
        {TokenElevationTypeDefault, TRUE, {ReadmeOpening()}},
        {0, TRUE, {ReadmeOpening()}},  // a system that cannot tell
    };
    for (const Road& road : roads) {
        SCOPED_TRACE("elevation type " + std::to_string(road.elevation) +
                     (road.desktopOpens ? ", desktop shell there" : ", no desktop shell"));
        script_ = flowtest::Script{};
        script_.answers = {IDOK, IDCANCEL};
        script_.elevation = road.elevation;
        script_.desktopOpens = road.desktopOpens;
        EXPECT_EQ(0, Install());
        Calls expected = before;
        expected.insert(expected.end(), road.readme.begin(), road.readme.end());
        EXPECT_EQ(expected, script_.calls);
    }
}

// Elevated, the package is copied and checked before the first box: a file that is not
// what the build shipped stops the run in one box naming it, and nothing changes.
TEST_F(Installation, ElevatedAFileThatWasNotShippedStopsTheRunBeforeTheFirstBox) {
    PlantEarlierInstallation();
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    vmxtest::WriteFileBytes(source.File("vmxtool.dll"), "planted by another program");
    script_.answers = {IDOK, IDOK, IDOK};
    script_.elevation = TokenElevationTypeFull;

    EXPECT_EQ(1, Install());

    const std::string text = (JapaneseRun() ? Texts::UntrustedPayloadJapanese : Texts::UntrustedPayloadFrench) +
                             source.File("vmxtool.dll");
    EXPECT_EQ(Calls{BoxLine(0x10, Caption(), text)}, script_.calls);
    EXPECT_TRUE(EarlierMarkLeft()) << "the earlier registration was removed";
    for (const std::string& folder : flowtest::ShellextFolders())
        EXPECT_FALSE(vmxtest::FileExists(folder + "\\vmxtool.dll")) << "installed into " << folder;
}

// Windows on ARM would get an extension that its Explorer cannot load, listed as
// installed: one message, and nothing changes.
TEST_F(Installation, AMachineOtherThanX86OrX64IsRefusedBeforeAnyChange) {
    PlantEarlierInstallation();
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    script_.answers = {IDOK, IDOK, IDOK};
    script_.nativeMachine = IMAGE_FILE_MACHINE_ARM64;

    EXPECT_EQ(0, Install());

    EXPECT_EQ(Calls{UnservedMachineBox()}, script_.calls);
    EXPECT_TRUE(EarlierMarkLeft()) << "the earlier registration was removed";
    for (const std::string& verb :
         {flowtest::kDriveVerb, flowtest::kDirectoryVerb, flowtest::kFolderVerb})
        EXPECT_TRUE(KeyExists(HKCR, verb)) << verb << " was removed";
    for (const std::string& folder : flowtest::ShellextFolders())
        EXPECT_FALSE(vmxtest::FileExists(folder + "\\vmxtool.dll")) << "installed into " << folder;
}

// The entry in the list of installed programs: what Windows shows and management tools read.
TEST_F(Installation, TheEntryCarriesVersionSizeLocationAndNoModifyOrRepair) {
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    script_.answers = {IDOK, IDCANCEL};

    EXPECT_EQ(0, Install());

    const REGSAM native = flowtest::NativeView();
    auto value = [&](const char* name) {
        return ReadValue(HKLM, flowtest::kUninstallEntry, name, native);
    };
    const std::string one("\x01\0\0\0", 4);
    for (const char* flag : {"NoModify", "NoRepair"}) {
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value(flag).type) << flag;
        EXPECT_EQ(vmxtest::Escaped(one), vmxtest::Escaped(value(flag).bytes)) << flag;
    }
    EXPECT_EQ(Sz(VMX_DISPLAY_VERSION), value("DisplayVersion").bytes);
    EXPECT_EQ(Sz(flowtest::SystemFolder() + "\\Shellext"), value("InstallLocation").bytes);
    // What the installation put on the disk, in every folder, in KB rounded up.
    unsigned long long bytes = 0;
    for (const std::string& folder : flowtest::ShellextFolders())
        for (const char* name : {"vmxtool.dll", "vmxtool.exe", "vmxtool.txt", "vmxinst.exe",
                                 "vmxmenu.dll", "vmxmenu.msix", "vmxmenu.cer"}) {
            const std::string file = folder + "\\" + name;
            if (vmxtest::FileExists(file)) bytes += vmxtest::ReadFileBytes(file).size();
        }
    const setuptest::ValueRead size = value("EstimatedSize");
    ASSERT_EQ(static_cast<DWORD>(REG_DWORD), size.type);
    ASSERT_EQ(4u, size.bytes.size());
    DWORD kilobytes = 0;
    std::memcpy(&kilobytes, size.bytes.data(), 4);
    EXPECT_EQ((bytes + 1023) / 1024, kilobytes) << "expected the installed files' size in KB";
}

TEST_F(Installation, DeclinedOfferRemovesEarlierVerbsAndStillInstalls) {
    PlantEarlierInstallation();
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    script_.answers = {IDOK, IDCANCEL};

    EXPECT_EQ(0, Install());

    EXPECT_EQ((Calls{StartBox(), OfferBox(), "flush HKCR", "sleep 3000", "installer ended",
                     ReadmeOpening()}),
              script_.calls);
    for (const std::string& verb :
         {flowtest::kDriveVerb, flowtest::kDirectoryVerb, flowtest::kFolderVerb})
        EXPECT_FALSE(KeyExists(HKCR, verb)) << verb << " stayed";
    EXPECT_FALSE(EarlierMarkLeft());
    EXPECT_TRUE(Installed("vmxtool.dll"));
    EXPECT_TRUE(KeyExists(HKLM, flowtest::kUninstallEntry, flowtest::NativeView()));
}

}  // namespace
