// Quiet runs, as a deployment tool starts them: the same flows on the prefix's real
// registry, files, INF installer and restart, with no box shown and no readme opened, the
// outcome in the exit code and the steps in a UTF-8 log. A second setup program started
// while one is at work is a real child process. Runs in French, Japanese and English.
#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <winioctl.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "flow_test_support.h"
#include "scripted_user.h"
#include "setup_test_support.h"
#include "startup.h"
#include "test_files.h"

namespace {

using flowtest::HKCR;
using flowtest::JapaneseRun;
using setuptest::KeyExists;
using Calls = std::vector<std::string>;

std::string Utf8(const std::u16string& text) {
    std::wstring wide(text.begin(), text.end());
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string bytes(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), bytes.data(),
                        length, nullptr, nullptr);
    return bytes;
}

std::string Name() {
    return JapaneseRun() ? Utf8(u"ベルマMAX") : "VelluMax";
}

// The log's lines as a reader gets them: UTF-8, CR LF after each, the local time in front.
std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    const std::string bytes = vmxtest::ReadFileBytes(path);
    std::string::size_type p = 0;
    while (p < bytes.size()) {
        std::string::size_type end = bytes.find("\r\n", p);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a line without CR LF at its end: " << bytes.substr(p);
            break;
        }
        std::string line = bytes.substr(p, end - p);
        p = end + 2;
        // "2026-12-09 16:30:01  "
        const bool stamped = line.size() > 21 && line[4] == '-' && line[7] == '-' &&
                             line[10] == ' ' && line[13] == ':' && line[16] == ':' &&
                             line.compare(19, 2, "  ") == 0;
        EXPECT_TRUE(stamped) << "no time in front of: " << line;
        lines.push_back(stamped ? line.substr(21) : line);
    }
    return lines;
}

std::string InstallBox(const std::string& text, const char* answer) {
    return "box [" + Name() + " FR   ] " + text + " => " + answer + " (quiet)";
}

std::string StartLine() {
    return InstallBox(JapaneseRun() ? Name() + Utf8(u" のインストールを開始します.")
                                    : Utf8(u" Voici la version FRANÇAISE de ") + Name() +
                                          Utf8(u" / \"OK\" pour débuter l'installation."),
                      "OK");
}

std::string OfferLine(const char* answer) {
    return InstallBox(
        Utf8(JapaneseRun()
                 ? u"エクスプローラでのフォルダの右クリックメニューに「ディスク情報」表示機能を追加します."
                 : u"Votre système peut être configuré pour lancer 'Infos disque' depuis le menu "
                   u"contextuel de l'Explorer."),
        answer);
}

std::string QuestionBox(const std::string& text, const char* answer) {
    return "box [" + Name() + Utf8(u" Français ] ") + text + " => " + answer + " (quiet)";
}

std::string ConfirmationLine() {
    return QuestionBox(JapaneseRun() ? Name() + Utf8(u" をアンインストールしますか？")
                                     : Utf8(u" Cela supprimera les composants de ") + Name() +
                                           ". D'accord?",
                       "Yes");
}

std::string AccessDeniedLine(const std::string& path) {
    return QuestionBox(
        (JapaneseRun() ? Utf8(u"アクセスできません : ") : Utf8(u"Acces refusé à :   ")) + path,
        "Cancel");
}

std::string ReportLine() {
    const std::string setup = flowtest::SystemFolder() + "\\Shellext\\vmxinst.exe";
    const std::string text =
        JapaneseRun() ? Utf8(u"アンインストールが終了しました。   / ") + setup +
                            Utf8(u"を削除するためにコンピュータを再起動する必要があります。")
                      : Utf8(u"Désinstallation OK.  / Remarque: ") + setup +
                            Utf8(u" sera supprimé dès le prochain redémarrage de Windows...   ");
    return "box [" + Name() + " uninstall] " + text + " => OK (quiet)";
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines)
        if (l == line) return true;
    return false;
}

int BoxesShown(const Calls& calls) {
    int boxes = 0;
    for (const std::string& call : calls)
        if (call.rfind("box ", 0) == 0) ++boxes;
    return boxes;
}

// Every installed file in every product folder, with the class in every view.
bool ProductInstalled() {
    for (const std::string& folder : flowtest::ShellextFolders())
        for (const char* name : {"vmxtool.dll", "vmxtool.exe", "vmxtool.txt", "vmxinst.exe"})
            if (!vmxtest::FileExists(folder + "\\" + name)) return false;
    for (REGSAM view : flowtest::RegistryViews())
        if (!KeyExists(HKCR, flowtest::kClassKey, view)) return false;
    return true;
}

bool NothingInstalled() {
    for (const std::string& folder : flowtest::ShellextFolders())
        if (vmxtest::FileExists(folder + "\\vmxtool.dll")) return false;
    return !KeyExists(HKCR, flowtest::kClassKey) && !KeyExists(HKCR, flowtest::kDriveVerb);
}

class QuietRuns : public ::testing::Test {
protected:
    int Run(const std::string& commandLine) {
        flowtest::ScopedScript scripted(script_);
        return RunSetup(commandLine.c_str());
    }

    flowtest::ProductStateGuard guard_;
    flowtest::Script script_;
    vmxtest::TempFolder logs_{"vmxlog"};
    const std::string log_ = logs_.File("setup.log");
};

struct InstallCase {
    const char* switches;
    bool verbs;
    const char* offerAnswer;
};

TEST_F(QuietRuns, InstallationAsksNothingOpensNoReadmeAndAddsTheVerbsOnlyWhenAsked) {
    const InstallCase cases[] = {
        {"/quiet", false, "Cancel"},
        {"/QUIET /DiskInfo", true, "OK"},
    };
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    for (const InstallCase& c : cases) {
        SCOPED_TRACE(c.switches);
        script_.calls.clear();
        // An earlier installation's verbs: a quiet run without /diskinfo removes them.
        setuptest::SetStringValue(HKCR, flowtest::kDriveVerb, "", "old label");

        EXPECT_EQ(0, Run(std::string("vmxinst.exe ") + c.switches + " /log \"" + log_ + "\""));

        EXPECT_EQ((Calls{"flush HKCR", "sleep 3000", "installer ended"}), script_.calls)
            << "a box was shown or the readme opened";
        EXPECT_TRUE(ProductInstalled());
        EXPECT_EQ(c.verbs, KeyExists(HKCR, flowtest::kDriveVerb));
        EXPECT_EQ(c.verbs, KeyExists(HKCR, flowtest::kDirectoryVerb + "\\command"));
        EXPECT_EQ((Calls{"quiet installation", StartLine(), OfferLine(c.offerAnswer),
                         "end: done; exit code 0"}),
                  LogLines(log_));
    }
}

TEST_F(QuietRuns, UninstallationWithAHeldExtensionEnds3010AndTheRestartTakesIt) {
    flowtest::InstallSource source;
    flowtest::InstallWithInf(source);
    // As Explorer holds it: Windows refuses its deletion with access denied.
    const std::string dll = flowtest::ShellextFolder() + "\\vmxtool.dll";
    HMODULE loaded = LoadLibraryA(dll.c_str());
    ASSERT_NE(nullptr, loaded) << "cannot load " << dll;

    const int exitCode = Run("vmxinst.exe /uninstall /quiet /log " + log_);
    FreeLibrary(loaded);

    EXPECT_EQ(3010, exitCode);
    EXPECT_EQ(0, BoxesShown(script_.calls));
    EXPECT_TRUE(vmxtest::FileExists(dll));
    EXPECT_FALSE(KeyExists(HKCR, flowtest::kClassKey));
    const std::vector<std::string> lines = LogLines(log_);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ("quiet uninstallation", lines.front());
    EXPECT_EQ(ConfirmationLine(), lines[1]);
    EXPECT_EQ(AccessDeniedLine(dll), lines[2]) << "the refusal is given up at once";
    EXPECT_EQ("left for the restart (file): " + dll, lines[3]);
    for (const std::string& folder : flowtest::KnownShellextFolders()) {
        EXPECT_TRUE(Contains(lines, "left for the restart (setup program): " + folder +
                                        "\\vmxinst.exe"));
        EXPECT_TRUE(Contains(lines, "left for the restart (folder): " + folder));
    }
    EXPECT_EQ(ReportLine(), lines[lines.size() - 2]);
    EXPECT_EQ("end: done; files wait for the restart; exit code 3010", lines.back());

    // The restart of Windows carries out what the run left to it.
    EXPECT_EQ(0u, vmxtest::RunAndWait("wineboot.exe -r", 120000)) << "wineboot -r failed";
    EXPECT_FALSE(vmxtest::FileExists(dll)) << "the held extension survived the restart";
    for (const std::string& folder : flowtest::ShellextFolders())
        EXPECT_FALSE(vmxtest::DirectoryExists(folder)) << folder << " survived the restart";
}

TEST_F(QuietRuns, UninstallationWithNothingHeldEnds0ThoughItsOwnCopyWaitsForTheRestart) {
    flowtest::InstallSource source;
    flowtest::InstallWithInf(source);

    EXPECT_EQ(0, Run("vmxinst.exe /Uninstall /Quiet /log " + log_));

    EXPECT_EQ(0, BoxesShown(script_.calls));
    for (const std::string& folder : flowtest::ShellextFolders()) {
        EXPECT_FALSE(vmxtest::FileExists(folder + "\\vmxtool.dll"));
        EXPECT_TRUE(vmxtest::FileExists(folder + "\\vmxinst.exe"));
    }
    const std::vector<std::string> lines = LogLines(log_);
    EXPECT_EQ("end: done; exit code 0", lines.empty() ? "<no log>" : lines.back());
    EXPECT_FALSE(Contains(lines, "left for the restart (file): " + flowtest::ShellextFolder() +
                                     "\\vmxtool.dll"));
}

// What the interactive run would report is in the log; the exit code says it failed.
TEST_F(QuietRuns, MissingInfFileEnds1603WithItsMessageInTheLog) {
    vmxtest::TempFolder empty;
    flowtest::ScopedCurrentDirectory current(empty.Path());

    EXPECT_EQ(1603, Run("vmxinst.exe /quiet /log " + log_));

    EXPECT_TRUE(script_.calls.empty()) << script_.calls.front();
    EXPECT_TRUE(NothingInstalled());
    const std::string text =
        (JapaneseRun() ? Utf8(u"ファイルが見つかりません : ")
                       : Utf8(u"Impossible de trouver le fichier spécifié : ")) +
        empty.File("vmxtool.inf");
    EXPECT_EQ((Calls{"quiet installation", InstallBox(text, "OK"), "end: failed; exit code 1603"}),
              LogLines(log_));
}

TEST_F(QuietRuns, AnErrorThatEndsTheFlowEnds1603WithTheErrorReportInTheLog) {
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    flowtest::LockedKey locked(HKCR, flowtest::kDirectoryVerb);

    EXPECT_EQ(1603, Run("vmxinst.exe /quiet /diskinfo /log " + log_));

    EXPECT_EQ(0, BoxesShown(script_.calls)) << "the error report was shown";
    const std::vector<std::string> lines = LogLines(log_);
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(0u, lines[3].find("box [Application Error] Exception ERegistryException in module "))
        << lines[3];
    const std::string ending = " / Failed to set data for ''. => OK (quiet)";
    EXPECT_NE(std::string::npos, lines[3].find(ending)) << lines[3];
    EXPECT_EQ("end: failed; exit code 1603", lines[4]);
}

// The system's INF installer says nothing of what it did: the product is looked for.
TEST_F(QuietRuns, AnInfFileThatInstallsNothingEnds1603) {
    flowtest::InstallSource source;
    vmxtest::WriteFileBytes(source.File("vmxtool.inf"),
                            "[Version]\r\nSignature=\"$Chicago$\"\r\n[DefaultInstall]\r\n"
                            "[DefaultInstall.NTamd64]\r\n");
    flowtest::ScopedCurrentDirectory current(source.Folder());

    EXPECT_EQ(1603, Run("vmxinst.exe /quiet /log " + log_));

    const std::vector<std::string> lines = LogLines(log_);
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("error: the INF installer did not install " + flowtest::KnownShellextFolders()[0] +
                  "\\vmxtool.dll",
              lines[3]);
}

TEST_F(QuietRuns, WindowsOnArmEnds1633AndChangesNothing) {
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    script_.nativeMachine = IMAGE_FILE_MACHINE_ARM64;

    EXPECT_EQ(1633, Run("vmxinst.exe /quiet /diskinfo /log " + log_));

    EXPECT_TRUE(script_.calls.empty());
    EXPECT_TRUE(NothingInstalled());
    const std::vector<std::string> lines = LogLines(log_);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(0u, lines[1].find("box [" + Name() + " FR   ] ")) << lines[1];
    EXPECT_NE(std::string::npos, lines[1].find("x86")) << lines[1];
    EXPECT_EQ("end: this Windows cannot be served; exit code 1633", lines[2]);
}

struct CommandLineCase {
    const char* switches;
    int exitCode;
    const char* logged;  // the line the log ends with; "" when no log can be written
};

TEST_F(QuietRuns, ACommandLineThatCannotBeReadOrALogThatCannotBeWrittenChangesNothing) {
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    const std::string log = " /log " + log_;
    const std::string folderAsLog = " /log " + logs_.Path();
    const CommandLineCase cases[] = {
        {"/quiet /norestart", 87, "the command line cannot be read (unknown switch /norestart)"},
        {"/uninstall /quiet -diskinfo", 87, "the command line cannot be read (unknown switch -diskinfo)"},
        {"/quiet /log", 87, ""},
        {"/log /quiet", 87, ""},
        {"/quiet /log \"\"", 87, ""},
        {"/quiet /log C:\\no\\such\\folder\\setup.log", 1622, ""},
        // Relative: written elevated into whatever the current folder is.
        {"/quiet /log setup.log", 1622, ""},
    };
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.switches);
        DeleteFileA(log_.c_str());
        script_.calls.clear();
        const std::string withLog = c.logged[0] ? log : std::string();

        EXPECT_EQ(c.exitCode, Run(std::string("vmxinst.exe ") + c.switches + withLog));

        EXPECT_TRUE(script_.calls.empty()) << script_.calls.front();
        EXPECT_TRUE(NothingInstalled());
        if (c.logged[0]) {
            const std::vector<std::string> lines = LogLines(log_);
            ASSERT_EQ(1u, lines.size());
            EXPECT_EQ(std::string(c.logged) + ": nothing was changed; exit code 87", lines[0]);
        } else {
            EXPECT_FALSE(vmxtest::FileExists(log_));
        }
    }
    // A folder where the log file should be: nothing runs either.
    EXPECT_EQ(1622, Run("vmxinst.exe /quiet" + folderAsLog));
    EXPECT_TRUE(NothingInstalled());
    EXPECT_FALSE(vmxtest::FileExists(source.File("setup.log"))) << "the relative log was written";
}

// A junction (or, where only that can be made, a symbolic link): a folder that the user
// can write, pointing where the user cannot.
bool MakeJunction(const std::string& link, const std::string& target) {
    if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
    HANDLE folder = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    const std::wstring substitute = L"\\??\\" + std::wstring(target.begin(), target.end());
    const USHORT bytes = static_cast<USHORT>(substitute.size() * sizeof(wchar_t));
    std::vector<BYTE> buffer(8 + 8 + bytes + 2 * sizeof(wchar_t));
    auto* header = reinterpret_cast<USHORT*>(buffer.data());
    *reinterpret_cast<DWORD*>(buffer.data()) = IO_REPARSE_TAG_MOUNT_POINT;
    header[2] = static_cast<USHORT>(buffer.size() - 8);                  // data length
    header[4] = 0;                                                       // substitute offset
    header[5] = bytes;                                                   // substitute length
    header[6] = static_cast<USHORT>(bytes + sizeof(wchar_t));            // print name offset
    header[7] = 0;                                                       // print name length
    std::memcpy(buffer.data() + 16, substitute.data(), bytes);
    DWORD returned = 0;
    const BOOL made = DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    CloseHandle(folder);
    if (!made && RemoveDirectoryA(link.c_str()))  // a symbolic link to the folder, then
        CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    const DWORD attributes = GetFileAttributesA(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

TEST_F(QuietRuns, ALogThroughAJunctionIsNotWritten) {
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    vmxtest::TempFolder target("vmxtarget");
    const std::string link = logs_.File("link");
    if (!MakeJunction(link, target.Path())) {
        RemoveDirectoryA(link.c_str());
        GTEST_SKIP() << "Wine cannot make a junction here";
    }
    EXPECT_EQ(1622, Run("vmxinst.exe /quiet /log " + link + "\\setup.log"));
    EXPECT_TRUE(NothingInstalled());
    EXPECT_FALSE(vmxtest::FileExists(target.File("setup.log"))) << "written through the junction";
    RemoveDirectoryA(link.c_str());
}

// An interactive run with /log writes the answers the user gave.
TEST_F(QuietRuns, InteractiveRunLogsTheUsersAnswers) {
    script_.answers = {IDNO};

    EXPECT_EQ(0, Run("vmxinst.exe /uninstall /log " + log_));

    ASSERT_EQ(1u, script_.calls.size());
    std::string confirmation = ConfirmationLine();
    confirmation.replace(confirmation.find(" => Yes (quiet)"), std::string::npos, " => No");
    EXPECT_EQ((Calls{"interactive uninstallation", confirmation, "end: done; exit code 0"}),
              LogLines(log_));
}

// A child process plays the first setup program: an interactive uninstallation whose
// confirmation the user has not answered yet.
class HeldChild {
public:
    explicit HeldChild(const std::string& log) : log_(log) {
        // Appended piece by piece: GCC 12 warns wrongly about a literal + string here.
        std::string command(1, '"');
        command += vmxtest::ProgramFolder() + "flow_child.exe\" \"" + log + "\" uninstall HOLD NO";
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                            nullptr, nullptr, &startup, &started))
            throw std::runtime_error("cannot start " + command);
        CloseHandle(started.hThread);
        process_ = started.hProcess;
    }
    ~HeldChild() {
        Release();
        if (WaitForSingleObject(process_, 30000) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
        CloseHandle(process_);
    }
    HeldChild(const HeldChild&) = delete;
    HeldChild& operator=(const HeldChild&) = delete;

    bool AtItsBox() {
        for (int i = 0; i < 600; ++i) {
            if (vmxtest::FileExists(log_ + ".held")) return true;
            if (WaitForSingleObject(process_, 100) != WAIT_TIMEOUT) return false;
        }
        return false;
    }
    void Release() {
        if (!vmxtest::FileExists(log_ + ".release")) vmxtest::WriteFileBytes(log_ + ".release", "");
    }
    // What the child wrote: its calls and its exit code.
    std::string Finish() {
        Release();
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_, 60000)) << "the child did not end";
        return vmxtest::ReadFileBytes(log_);
    }

private:
    std::string log_;
    HANDLE process_;
};

DWORD WINAPI RunBody(void* body) {
    (*static_cast<std::function<void()>*>(body))();
    return 0;
}

std::string UserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return std::string();
    BYTE buffer[256];
    DWORD size = 0;
    std::string text;
    char* sid = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
        text = sid;
        LocalFree(sid);
    }
    CloseHandle(token);
    return text;
}

// A standard user's program makes the lock's mutex first and holds it: owned by the user,
// not by Administrators. The deployment goes on instead of ending with 1618.
TEST_F(QuietRuns, ALockMadeByAStandardUserDoesNotBlockTheRun) {
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    const std::string owner = UserSid();
    ASSERT_FALSE(owner.empty());
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        ("O:" + owner + "D:(A;;GA;;;WD)").c_str(), SDDL_REVISION_1, &descriptor, nullptr));
    HANDLE held = CreateEvent(nullptr, TRUE, FALSE, nullptr), release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::string ownerRead;
    std::function<void()> hold = [&] {
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
        HANDLE mutex = CreateMutexA(&attributes, TRUE, "Global\\VelluMax.Setup");
        PSECURITY_DESCRIPTOR read = nullptr;
        PSID sid = nullptr;
        char* text = nullptr;
        if (mutex && GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &sid, nullptr,
                                     nullptr, nullptr, &read) == ERROR_SUCCESS &&
            ConvertSidToStringSidA(sid, &text)) {
            ownerRead = text;
            LocalFree(text);
        }
        if (read) LocalFree(read);
        SetEvent(held);
        WaitForSingleObject(release, 60000);
        if (mutex) {
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        }
    };
    // The mutex belongs to the thread that holds it: not the one that runs the setup flow.
    HANDLE squatter = CreateThread(nullptr, 0, &RunBody, &hold, 0, nullptr);
    ASSERT_NE(nullptr, squatter);
    auto join = [&] {
        SetEvent(release);
        WaitForSingleObject(squatter, 60000);
        CloseHandle(squatter);
    };
    WaitForSingleObject(held, 60000);
    if (ownerRead != owner) {
        join();
        LocalFree(descriptor);
        GTEST_SKIP() << "Wine does not keep the mutex's owner: " << ownerRead;
    }
    const int exitCode = Run("vmxinst.exe /quiet /log " + log_);
    join();
    LocalFree(descriptor);
    CloseHandle(held);
    CloseHandle(release);
    EXPECT_EQ(0, exitCode);
    EXPECT_TRUE(ProductInstalled());
    EXPECT_EQ(script_.calls.end(), std::find(script_.calls.begin(), script_.calls.end(), "sleep 500"))
        << "it waited for the user's mutex";
}

TEST_F(QuietRuns, ASecondRunWhileOneIsAtWorkWaitsAShortWhileAndChangesNothing) {
    flowtest::InstallSource source;
    flowtest::InstallWithInf(source);
    HeldChild first(logs_.File("first.txt"));
    ASSERT_TRUE(first.AtItsBox()) << "the first setup program did not reach its box";

    // Quiet: 1618, after pauses that the script takes instead of sleeping.
    EXPECT_EQ(1618, Run("vmxinst.exe /uninstall /quiet /log " + log_));
    const Calls pauses(10, "sleep 500");
    EXPECT_EQ(pauses, script_.calls);
    std::vector<std::string> lines = LogLines(log_);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("quiet uninstallation: another setup program of the product is at work: nothing "
              "was changed",
              lines[0]);

    // Interactive: one box in the system's language, and 1.
    script_.calls.clear();
    EXPECT_EQ(1, Run("vmxinst.exe /uninstall"));
    ASSERT_EQ(11u, script_.calls.size());
    const std::string name = flowtest::ExpectedDisplayName();
    const std::string text =
        JapaneseRun()
            ? name + flowtest::Ansi(u" の別のインストールまたはアンインストールが実行中です。"
                                    u"終了してからもう一度実行してください。",
                                    932)
            : flowtest::Ansi(u"Une autre installation ou désinstallation de ", 1252) + name +
                  flowtest::Ansi(u" est en cours. Réessayez quand elle sera terminée.", 1252);
    EXPECT_EQ(flowtest::BoxLine(0x30, name, text), script_.calls.back());
    EXPECT_TRUE(ProductInstalled()) << "the second run changed something";

    // The first one goes on undisturbed; once it has ended the next run works at once.
    const std::string childLog = first.Finish();
    EXPECT_NE(std::string::npos, childLog.find("exit 0")) << childLog;
    EXPECT_TRUE(ProductInstalled()) << "the first run, answered No, changed something";
    script_.calls.clear();
    EXPECT_EQ(0, Run("vmxinst.exe /uninstall /quiet"));
    EXPECT_EQ(0, BoxesShown(script_.calls));
    EXPECT_FALSE(KeyExists(HKCR, flowtest::kClassKey));
}

}  // namespace
