// The elevated installation's payload: copied into a folder of a random name under the
// Windows temporary folder whose access list lets only Administrators and SYSTEM write,
// removed again (at the restart while a file is held); only the files that the build
// shipped, read without following links and checked against the hashes the setup program
// carries, and in a release against its publisher's key. Signed copies of the built
// binaries come from sign_test_payload.sh: A and B are two publishers, "tampered" is A's
// signature over changed bytes.
#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include <algorithm>
#include <array>
#include <functional>
#include <cstdio>
#include <string>
#include <vector>

#include "cabinet_unpack.h"
#include "environment.h"
#include "flow_test_support.h"
#include "image_digest.h"
#include "sha256.h"
#include "shipped_files.h"
#include "shipped_table.h"
#include "signature_check.h"
#include "staged_folder.h"
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

std::array<unsigned char, 32> Sha(const std::string& bytes) {
    Sha256 hash;
    hash.Add(bytes.data(), bytes.size());
    return hash.Finish();
}

std::string Hex(const std::array<unsigned char, 32>& bytes) {
    std::string text;
    char two[3];
    for (unsigned char b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b);
        text += two;
    }
    return text;
}

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// The package as a build ships it: each name with the hash of "package's <name>".
ShippedPackage ShippedAsWritten(const std::vector<std::string>& names) {
    ShippedPackage shipped;
    for (const std::string& name : names) shipped.files.push_back({name, false, Sha("package's " + name)});
    return shipped;
}

class StagedPayloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillSystemFolders();
        for (const char* name : {"vmxtool.inf", "vmxtool.dll", "vmxinst64.exe", "vmxtool.txt"})
            vmxtest::WriteFileBytes(package_.File(name), std::string("package's ") + name);
        vmxtest::WriteFileBytes(package_.File("planted.dll"), "not the package's");
        // A certificate that this build does not ship, dropped beside the package.
        vmxtest::WriteFileBytes(package_.File("vmxmenu.cer"), "a certificate of the user's");
    }
    vmxtest::TempFolder package_{"vmxpkg"};
    const ShippedPackage shipped_ =
        ShippedAsWritten({"vmxtool.inf", "vmxtool.txt", "vmxtool.dll", "vmxinst64.exe", "vmxtool.exe"});
};

TEST(Sha256, KnownDigests) {
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Hex(Sha("")));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Hex(Sha("abc")));
    // Two blocks, and a length that ends one byte short of the padding's room.
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
              Hex(Sha("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")));
    Sha256 pieces;
    const std::string text(1000, 'a');
    for (size_t at = 0; at < text.size(); at += 7) pieces.Add(text.data() + at, std::min<size_t>(7, text.size() - at));
    EXPECT_EQ(Hex(Sha(text)), Hex(pieces.Finish())) << "added in pieces";
}

TEST_F(StagedPayloadTest, CopiesTheShippedFilesWhereOnlyAdministratorsAndSystemWriteAndRemovesThem) {
    std::string folder;
    {
        StagedFolder staged;
        folder = staged.Path();
        const std::string temp = FolderText(WindowsDir) + "\\Temp\\VelluMax-";
        EXPECT_EQ(0, lstrcmpiA(temp.c_str(), folder.substr(0, temp.size()).c_str()))
            << folder << " is not in the Windows temporary folder";
        EXPECT_EQ(temp.size() + 16, folder.size()) << folder << ": not 64 random bits in hex";
        StagedFolder other;
        EXPECT_NE(folder, other.Path());

        EXPECT_EQ("", CopyShippedFiles(staged, Wide(package_.Path()), shipped_));
        EXPECT_EQ((std::vector<std::string>{"vmxinst64.exe", "vmxtool.dll", "vmxtool.inf", "vmxtool.txt"}),
                  vmxtest::FolderEntries(folder))
            << "only what the build shipped, and of that only what is there: no planted DLL, "
               "no certificate the build did not ship";
        EXPECT_EQ("", FirstMismatch(staged, shipped_));
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

// Each case changes the unpacked folder in one way; the whole package is refused at the
// file named, and nothing of that file is written into the staged folder.
TEST_F(StagedPayloadTest, AFileThatIsNotWhatWasShippedIsRefused) {
    const struct {
        const char* what;
        std::function<bool()> change;  // false: this system cannot make the change
        const char* refused;
    } cases[] = {
        {"a DLL of other bytes",
         [&] { vmxtest::WriteFileBytes(package_.File("vmxtool.dll"), "planted"); return true; }, "vmxtool.dll"},
        {"an INF file of other bytes",
         [&] { vmxtest::WriteFileBytes(package_.File("vmxtool.inf"), "[Version]\r\n"); return true; }, "vmxtool.inf"},
        {"a hard link to the shipped bytes",
         [&] {
             const std::string other = package_.File("elsewhere.txt");
             vmxtest::WriteFileBytes(other, "package's vmxtool.txt");
             DeleteFileA(package_.File("vmxtool.txt").c_str());
             return CreateHardLinkA(package_.File("vmxtool.txt").c_str(), other.c_str(), nullptr) != FALSE;
         },
         "vmxtool.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        if (!c.change()) {
            std::printf("not made on this system: %s\n", c.what);
            continue;
        }
        StagedFolder staged;
        EXPECT_EQ(c.refused, CopyShippedFiles(staged, Wide(package_.Path()), shipped_));
        EXPECT_FALSE(vmxtest::FileExists(staged.File(c.refused))) << "written before it was checked";
    }
}

// The check of a filled folder, as after a cabinet's extraction: a file changed in it, or
// one that the table does not list, is named.
TEST_F(StagedPayloadTest, FirstMismatchNamesAChangedOrUnlistedStagedFile) {
    StagedFolder staged;
    ASSERT_EQ("", CopyShippedFiles(staged, Wide(package_.Path()), shipped_));
    HANDLE extra = staged.NewFile("menu\\planted.dll");
    ASSERT_NE(INVALID_HANDLE_VALUE, extra);
    CloseHandle(extra);
    EXPECT_EQ("menu\\planted.dll", FirstMismatch(staged, shipped_));
    ShippedPackage withExtra = shipped_;
    withExtra.files.push_back({"menu\\planted.dll", false, Sha("")});
    EXPECT_EQ("", FirstMismatch(staged, withExtra));
    vmxtest::WriteFileBytes(staged.File("vmxtool.inf"), "changed");
    EXPECT_EQ("vmxtool.inf", FirstMismatch(staged, withExtra));
}

// A user name outside the code page: the unpacked folder is reached all the same.
TEST_F(StagedPayloadTest, ReadsAPackageInAFolderOutsideTheCodePage) {
    const std::wstring cyrillic = Wide(package_.Path()) + L"\\\x0414\x043c\x0438\x0442\x0440\x0438\x0439";
    ASSERT_TRUE(CreateDirectoryW(cyrillic.c_str(), nullptr));
    for (const char* name : {"vmxtool.inf", "vmxtool.dll"})
        ASSERT_TRUE(CopyFileW((Wide(package_.Path()) + L"\\" + Wide(name)).c_str(),
                              (cyrillic + L"\\" + Wide(name)).c_str(), FALSE));
    StagedFolder staged;
    EXPECT_EQ("", CopyShippedFiles(staged, cyrillic, shipped_));
    EXPECT_EQ("package's vmxtool.inf", vmxtest::ReadFileBytes(staged.File("vmxtool.inf")));
    for (const char* name : {"vmxtool.inf", "vmxtool.dll"}) DeleteFileW((cyrillic + L"\\" + Wide(name)).c_str());
    RemoveDirectoryW(cyrillic.c_str());
}

// A program still running from the copy keeps its file: it and the folder go at the restart.
TEST_F(StagedPayloadTest, AHeldFileAndTheFolderGoAtTheRestart) {
    flowtest::ProductStateGuard guard;
    std::string folder, held;
    HANDLE open = INVALID_HANDLE_VALUE;
    {
        StagedFolder staged;
        ASSERT_EQ("", CopyShippedFiles(staged, Wide(package_.Path()), ShippedAsWritten({"vmxtool.dll", "vmxtool.inf"})));
        folder = staged.Path();
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

// The setup programs list each other by a digest that sealing and signing leave as it
// was, and that every other change alters. The built program serves as the image.
TEST(ShippedTable, TheDigestWithoutTableIgnoresTheTableAndSigningOnly) {
    const std::string built = vmxtest::ReadFileBytes(FromUnix(VMX_BUILT_SETUP));
    std::vector<unsigned char> image(built.begin(), built.end());
    std::array<unsigned char, 32> digest, changed;
    ASSERT_TRUE(ImageDigestWithoutTable(image, digest));
    const std::string marker(vmxShippedTable.begin, sizeof vmxShippedTable.begin);
    const size_t table = built.find(marker);
    ASSERT_NE(std::string::npos, table);
    const size_t pe = *reinterpret_cast<const uint32_t*>(&image[0x3C]);
    const size_t optional = pe + 24;
    const size_t security = optional + (image[optional] == 0x0b && image[optional + 1] == 0x02 ? 112 : 96) + 32;
    const struct {
        const char* what;
        size_t at;
        bool same;
    } cases[] = {
        {"the table's count", table + 16, true},
        {"an entry of the table", table + 16 + 4 + 32 + 70, true},
        {"the PE checksum", optional + 64, true},
        {"the security directory entry", security + 2, true},
        {"the first byte after the table", table + sizeof(ShippedTable), false},
        {"the last byte before the table", table - 1, false},
        {"the PE header's time stamp", pe + 8, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<unsigned char> copy = image;
        copy[c.at] ^= 0x5A;
        if (c.at == security + 2) copy[c.at] = 0;  // a size of zero: no certificates
        ASSERT_TRUE(ImageDigestWithoutTable(copy, changed));
        EXPECT_EQ(c.same, changed == digest);
    }
    std::vector<unsigned char> twice = image;
    twice.insert(twice.end(), marker.begin(), marker.end());
    EXPECT_FALSE(ImageDigestWithoutTable(twice, changed)) << "a second table marker accepted";
}

// The test program is sealed by the build's own script: what it wrote is what the program
// reads, with the setup programs listed by the digest above.
TEST(ShippedTable, TheSealedTableIsReadBackAsWritten) {
    const ShippedPackage built = BuiltInShippedPackage();
    const ShippedFile* inf = built.Find("VMXTOOL.INF");
    ASSERT_NE(nullptr, inf) << "the test program was not sealed";
    EXPECT_FALSE(inf->withoutTable);
    EXPECT_EQ(Hex(Sha(vmxtest::ReadFileBytes(FromUnix(VMX_PACKAGE_INF)))), Hex(inf->sha256));
    const ShippedFile* setup = built.Find("vmxinst.exe");
    ASSERT_NE(nullptr, setup);
    EXPECT_TRUE(setup->withoutTable);
    const std::string bytes = vmxtest::ReadFileBytes(FromUnix(VMX_BUILT_SETUP));
    EXPECT_TRUE(MatchesShipped(std::vector<unsigned char>(bytes.begin(), bytes.end()), *setup));
    EXPECT_FALSE(built.Signed()) << "a test program carries no publisher's key";
}

std::array<unsigned char, 32> PublisherKey(const char* who) {
    const std::string hex = vmxtest::ReadFileBytes(FromUnix(std::string(VMX_SIGNED_PAYLOAD) + "/" + who + ".key"));
    std::array<unsigned char, 32> key = {};
    for (size_t i = 0; i < key.size() && 2 * i + 1 < hex.size(); ++i)
        key[i] = static_cast<unsigned char>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return key;
}

TEST(PayloadTrust, SignaturesAreReadAsWinVerifyTrustJudgesThem) {
    const FileSigner a = ReadFileSigner(Signed("A", "vmxtool.dll"));
    const FileSigner b = ReadFileSigner(Signed("B", "vmxtool.dll"));
    ASSERT_EQ(SignatureState::Valid, a.state);
    ASSERT_EQ(SignatureState::Valid, b.state);
    EXPECT_EQ(Hex(PublisherKey("A")), Hex(a.publicKey)) << "not the key that the build reads";
    EXPECT_EQ(Hex(PublisherKey("B")), Hex(b.publicKey));
    EXPECT_EQ(SignatureState::Unsigned, ReadFileSigner(FromUnix(VMX_UNSIGNED_DLL)).state);
    EXPECT_EQ(SignatureState::Invalid, ReadFileSigner(Signed("tampered", "vmxtool.dll")).state);
    EXPECT_EQ(SignatureState::Invalid, ReadFileSigner("C:\\no such folder\\vmxtool.dll").state);
}

// The staged folder as the check sees it: a program of the publisher whose key the table
// holds, and one DLL of the case's making, beside an INF file that carries no signature.
TEST(PayloadTrust, WithAReleaseKeyOnlyThePublishersProgramsAndDllsPass) {
    vmxtest::TempFolder folder("vmxtrust");
    vmxtest::WriteFileBytes(folder.File("vmxtool.inf"), "[Version]\r\n");
    ASSERT_TRUE(CopyFileA(Signed("A", "vmxinst64.exe").c_str(), folder.File("vmxinst64.exe").c_str(), FALSE));
    const std::vector<std::string> names = {"vmxtool.inf", "vmxinst64.exe", "vmxtool.dll"};
    ShippedPackage release;
    release.publisherKey = PublisherKey("A");
    const ShippedPackage developer;
    const struct {
        const char* what;
        const ShippedPackage& shipped;
        std::string dll, untrusted;
    } cases[] = {
        {"all of the publisher", release, Signed("A", "vmxtool.dll"), ""},
        {"a DLL of another publisher", release, Signed("B", "vmxtool.dll"), "vmxtool.dll"},
        {"an unsigned DLL", release, FromUnix(VMX_UNSIGNED_DLL), "vmxtool.dll"},
        {"a DLL changed after signing", release, Signed("tampered", "vmxtool.dll"), "vmxtool.dll"},
        {"a build without a release key checks hashes only", developer, Signed("B", "vmxtool.dll"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(CopyFileA(c.dll.c_str(), folder.File("vmxtool.dll").c_str(), FALSE));
        EXPECT_EQ(c.untrusted, FirstNotSignedByPublisher(folder.Path(), names, c.shipped));
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
        StagedFolder staged;
        folder = staged.Path();
        const CreateStagedFile create = [&staged](const std::string& name) {
            return staged.NewFile(name);
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
