// The elevated installation's payload: copied into a folder of its own under the Windows
// temporary folder whose access list lets only Administrators and SYSTEM write, removed
// again (at the restart while a file is held), and checked against the setup program's own
// publisher. Signed copies of the built binaries come from sign_test_payload.sh: A and B
// are two publishers, "tampered" is A's signature over changed bytes.
#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include <string>
#include <vector>

#include "cabinet_unpack.h"
#include "environment.h"
#include "flow_test_support.h"
#include "payload_trust.h"
#include "staged_payload.h"
#include "test_files.h"

namespace {

std::string FromUnix(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string Signed(const char* who, const char* name) {
    return FromUnix(std::string(VMX_SIGNED_PAYLOAD) + "/" + who + "/" + name);
}

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text)) return "<bad sid>";
    std::string result = text;
    LocalFree(text);
    return result;
}

// Every allowed right of the descriptor's access list, by SID; whether it is protected from
// inheritance.
struct Access {
    bool protectedList = false;
    std::vector<std::pair<std::string, DWORD>> allowed;
    int otherAces = 0;
};

Access ReadAccess(PSECURITY_DESCRIPTOR descriptor) {
    Access access;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    access.protectedList = (control & SE_DACL_PROTECTED) != 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    for (DWORD i = 0; present && dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            ++access.otherAces;
            continue;
        }
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        access.allowed.emplace_back(SidText(&ace->SidStart), ace->Mask);
    }
    return access;
}

Access ReadAccess(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return Access();
    Access access = ReadAccess(descriptor);
    LocalFree(descriptor);
    return access;
}

// Wine's file system keeps no access lists: it shows each file's Unix rights instead, so
// there the list is read back from the descriptor that the folder and its files are made
// with, and on Windows from the folder and a file themselves.
bool FileSystemKeepsAccessLists() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
}

bool GrantsWrite(DWORD mask) {
    return (mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                    DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL)) != 0;
}

class StagedPayloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillSystemFolders();
        for (const char* name : {"vmxtool.inf", "vmxtool.dll", "vmxinst64.exe"})
            vmxtest::WriteFileBytes(package_.File(name), std::string("package's ") + name);
        vmxtest::WriteFileBytes(package_.File("planted.dll"), "not the package's");
    }
    vmxtest::TempFolder package_{"vmxpkg"};
};

TEST_F(StagedPayloadTest, CopiesThePackageWhereOnlyAdministratorsAndSystemWriteAndRemovesIt) {
    std::string folder;
    {
        StagedPayload staged(package_.Path());
        folder = staged.Folder();
        const std::string temp = FolderText(WindowsDir) + "\\Temp\\";
        EXPECT_EQ(0, lstrcmpiA(temp.c_str(), folder.substr(0, temp.size()).c_str()))
            << folder << " is not in the Windows temporary folder";
        EXPECT_EQ((std::vector<std::string>{"vmxtool.inf", "vmxtool.dll", "vmxinst64.exe"}),
                  staged.Files());
        EXPECT_EQ((std::vector<std::string>{"vmxinst64.exe", "vmxtool.dll", "vmxtool.inf"}),
                  vmxtest::FolderEntries(folder))
            << "only the package's files, and of them only those that are there";
        vmxtest::WriteFileBytes(package_.File("vmxtool.dll"), "swapped after staging");
        EXPECT_EQ("package's vmxtool.dll", vmxtest::ReadFileBytes(staged.File("vmxtool.dll")));

        // The folder's own list, not its parent's, and the files' made with it.
        PSECURITY_DESCRIPTOR built = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
            kStagedFolderAccess, SDDL_REVISION_1, &built, nullptr));
        std::vector<std::pair<std::string, Access>> lists = {{"as built", ReadAccess(built)}};
        LocalFree(built);
        if (FileSystemKeepsAccessLists()) {
            lists.emplace_back(folder, ReadAccess(folder));
            lists.emplace_back(staged.File("vmxtool.dll"), ReadAccess(staged.File("vmxtool.dll")));
        }
        for (const auto& [what, access] : lists) {
            SCOPED_TRACE(what);
            EXPECT_TRUE(access.protectedList) << "inherits from Temp";
            EXPECT_EQ(0, access.otherAces);
            std::vector<std::string> readers;
            for (const auto& [sid, mask] : access.allowed) {
                if (sid == "S-1-5-18" || sid == "S-1-5-32-544") continue;  // SYSTEM, Administrators
                EXPECT_FALSE(GrantsWrite(mask)) << sid << " may write: mask 0x" << std::hex << mask;
                readers.push_back(sid);
            }
            EXPECT_EQ(std::vector<std::string>{"S-1-5-32-545"}, readers) << "Users read and run";
            EXPECT_GE(access.allowed.size(), 3u);
        }
    }
    EXPECT_FALSE(vmxtest::DirectoryExists(folder)) << folder << " stayed behind";
}

// A program still running from the copy keeps its file: it and the folder go at the restart.
TEST_F(StagedPayloadTest, AHeldFileAndTheFolderGoAtTheRestart) {
    flowtest::ProductStateGuard guard;
    std::string folder, held;
    HANDLE open = INVALID_HANDLE_VALUE;
    {
        StagedPayload staged(package_.Path(), {"vmxtool.dll", "vmxtool.inf"});
        folder = staged.Folder();
        held = staged.File("vmxtool.dll");
        open = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, open);
    }
    CloseHandle(open);
    EXPECT_FALSE(vmxtest::FileExists(folder + "\\vmxtool.inf"));
    const std::vector<std::string> pending = flowtest::PendingRenames();
    auto pendingDeletion = [&](const std::string& path) {
        for (size_t i = 0; i + 1 < pending.size(); i += 2)
            if (pending[i + 1].empty() && pending[i].size() >= path.size() &&
                lstrcmpiA(pending[i].substr(pending[i].size() - path.size()).c_str(), path.c_str()) == 0)
                return true;
        return false;
    };
    EXPECT_TRUE(pendingDeletion(held)) << held;
    EXPECT_TRUE(pendingDeletion(folder)) << folder;
    DeleteFileA(held.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(PayloadTrust, SignaturesAreReadAsWinVerifyTrustJudgesThem) {
    const FileSigner a = ReadFileSigner(Signed("A", "vmxtool.dll"));
    const FileSigner b = ReadFileSigner(Signed("B", "vmxtool.dll"));
    ASSERT_EQ(SignatureState::Valid, a.state);
    ASSERT_EQ(SignatureState::Valid, b.state);
    EXPECT_FALSE(a.subject.empty());
    EXPECT_NE(a.subject, b.subject) << "two publishers read as one";
    EXPECT_EQ(a.subject, ReadFileSigner(Signed("A", "vmxinst64.exe")).subject);
    EXPECT_EQ(SignatureState::Unsigned, ReadFileSigner(FromUnix(VMX_UNSIGNED_DLL)).state);
    EXPECT_EQ(SignatureState::Invalid, ReadFileSigner(Signed("tampered", "vmxtool.dll")).state);
    EXPECT_EQ(SignatureState::Invalid, ReadFileSigner("C:\\no such folder\\vmxtool.dll").state);
}

// The staged folder as the check sees it: a program of the setup program's own signer and
// one DLL of the case's making, beside an INF file that carries no signature.
TEST(PayloadTrust, OnlyThePublishersOwnProgramsAndDllsPass) {
    vmxtest::TempFolder folder("vmxtrust");
    vmxtest::WriteFileBytes(folder.File("vmxtool.inf"), "[Version]\r\n");
    ASSERT_TRUE(CopyFileA(Signed("A", "vmxinst64.exe").c_str(), folder.File("vmxinst64.exe").c_str(), FALSE));
    const std::vector<std::string> names = {"vmxtool.inf", "vmxinst64.exe", "vmxtool.dll"};
    const std::string signedByA = Signed("A", "vmxinst64.exe");
    const struct {
        const char* what;
        std::string own, dll, untrusted;
    } cases[] = {
        {"all of the setup program's publisher", signedByA, Signed("A", "vmxtool.dll"), ""},
        {"a DLL of another publisher", signedByA, Signed("B", "vmxtool.dll"), "vmxtool.dll"},
        {"an unsigned DLL", signedByA, FromUnix(VMX_UNSIGNED_DLL), "vmxtool.dll"},
        {"a DLL changed after signing", signedByA, Signed("tampered", "vmxtool.dll"), "vmxtool.dll"},
        {"an unsigned setup program checks nothing", FromUnix(VMX_UNSIGNED_DLL),
         Signed("B", "vmxtool.dll"), ""},
        {"a setup program changed after signing", Signed("tampered", "vmxinst64.exe"),
         Signed("A", "vmxtool.dll"), "vmxinst64.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(CopyFileA(c.dll.c_str(), folder.File("vmxtool.dll").c_str(), FALSE));
        EXPECT_EQ(c.untrusted, FirstUntrustedPayloadFile(c.own, folder.Path(), names));
    }
}

}  // namespace

// The payload that the single setup file carries: a cabinet from gcab, unpacked through
// cabinet.dll into the staged folder, each file against the digest the build recorded.
namespace {

const char kAbcDigest[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const char kMillionDigest[] = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";

std::string TestCabinet() {
    return vmxtest::ReadFileBytes(FromUnix(VMX_TEST_CABINET));
}

struct Unpacked {
    bool ok;
    std::string faulty;
    std::vector<std::string> staged;
    bool folderGone;
};

Unpacked Unpack(const std::string& cabinet, const PayloadSums& sums) {
    Unpacked result;
    std::string folder;
    {
        StagedPayload staged{StagedPayload::Empty{}};
        folder = staged.Folder();
        const CreateStagedFile create = [&staged](const std::string& name) {
            return staged.CreateStagedFile(name);
        };
        result.ok = UnpackCheckedCabinet(cabinet.data(), cabinet.size(), sums, create, result.faulty);
        result.staged = vmxtest::FolderEntries(folder);
        if (result.ok) {
            EXPECT_EQ(std::string(1000000, 'a'), vmxtest::ReadFileBytes(staged.File("million.txt")));
        }
    }
    result.folderGone = !vmxtest::DirectoryExists(folder);
    return result;
}

}  // namespace

TEST(CarriedPayload, EveryRecordedFileIsUnpackedIntoTheStagedFolderAndChecked) {
    FillSystemFolders();
    const Unpacked got = Unpack(TestCabinet(), {{"abc.txt", kAbcDigest}, {"million.txt", kMillionDigest}});
    EXPECT_TRUE(got.ok) << "first file at fault: " << got.faulty;
    EXPECT_EQ((std::vector<std::string>{"abc.txt", "million.txt"}), got.staged);
    EXPECT_TRUE(got.folderGone) << "the staged folder stayed after the run";
}

TEST(CarriedPayload, APayloadThatIsNotWhatTheBuildRecordedIsRefused) {
    FillSystemFolders();
    std::string flipped = TestCabinet();
    flipped[flipped.size() / 2] ^= 0x55;
    const struct {
        const char* what;
        std::string cabinet;
        PayloadSums sums;
        const char* faulty;  // nullptr: any name, or none for the cabinet as a whole
    } cases[] = {
        {"a file whose digest differs", TestCabinet(),
         {{"abc.txt", kAbcDigest}, {"million.txt", kAbcDigest}}, "million.txt"},
        {"a file the build did not record", TestCabinet(), {{"abc.txt", kAbcDigest}}, "million.txt"},
        {"a recorded file the cabinet lacks", TestCabinet(),
         {{"abc.txt", kAbcDigest}, {"million.txt", kMillionDigest}, {"vmxtool.inf", kAbcDigest}},
         "vmxtool.inf"},
        {"a byte changed inside the cabinet", flipped,
         {{"abc.txt", kAbcDigest}, {"million.txt", kMillionDigest}}, nullptr},
        {"no digests at all", TestCabinet(), {}, ""},
    };
    for (const auto& c : cases) {
        const Unpacked got = Unpack(c.cabinet, c.sums);
        EXPECT_FALSE(got.ok) << c.what << ": expected a refusal, got a checked payload";
        if (c.faulty) {
            EXPECT_EQ(c.faulty, got.faulty) << c.what;
        }
        EXPECT_TRUE(got.folderGone) << c.what << ": the staged folder stayed";
    }
}

TEST(CarriedPayload, RecordedDigestsAreReadOnlyInTheFormTheBuildWrites) {
    const std::string abc = std::string(kAbcDigest) + "  abc.txt\n";
    EXPECT_EQ((PayloadSums{{"abc.txt", kAbcDigest}, {"million.txt", kMillionDigest}}),
              ReadPayloadSums(abc + kMillionDigest + "  million.txt\n"));
    const struct {
        const char* what;
        std::string text;
    } refused[] = {
        {"upper-case digest", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD  abc.txt\n"},
        {"a short digest", std::string(kAbcDigest).substr(1) + "  abc.txt\n"},
        {"one space", std::string(kAbcDigest) + " abc.txt\n"},
        {"a name with a folder", std::string(kAbcDigest) + "  ..\\abc.txt\n"},
        {"a name given twice", abc + abc},
        {"a line without a name", std::string(kAbcDigest) + "  \n"},
    };
    for (const auto& c : refused)
        EXPECT_TRUE(ReadPayloadSums(c.text).empty()) << c.what << ": expected no digests, got some";
}
