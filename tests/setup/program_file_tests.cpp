// The built vmxinst.exe read as a file: its icon, its version, its imports and its kind.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "test_files.h"

namespace {

// VMX_BUILT_SETUP is the Unix path of the program; Wine sees the Unix root as drive Z:.
std::string BuiltSetupPath() {
    std::string path = "Z:" VMX_BUILT_SETUP;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

#pragma pack(push, 2)
struct IconDirEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct IconDir {
    WORD reserved, type, count;
    IconDirEntry entries[1];
};
#pragma pack(pop)

class ProgramFile : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_) << "cannot load " << path_;
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    const void* Resource(LPCSTR name, LPCSTR type, DWORD* size = nullptr) {
        HRSRC found = FindResourceA(module_, name, type);
        if (!found) return nullptr;
        if (size) *size = SizeofResource(module_, found);
        return LockResource(LoadResource(module_, found));
    }

    const std::string path_ = BuiltSetupPath();
    HMODULE module_ = nullptr;
};

TEST_F(ProgramFile, MainIconHoldsA16AndA256ColourImageOf32By32) {
    auto group = static_cast<const IconDir*>(Resource("MAINICON", RT_GROUP_ICON));
    ASSERT_NE(nullptr, group) << "no icon group MAINICON";
    ASSERT_EQ(2, group->count);
    std::set<int> bitCounts;
    for (int i = 0; i < group->count; ++i) {
        const IconDirEntry& e = group->entries[i];
        EXPECT_EQ(32, e.width);
        EXPECT_EQ(32, e.height);
        DWORD size = 0;
        auto image =
            static_cast<const BITMAPINFOHEADER*>(Resource(MAKEINTRESOURCEA(e.id), RT_ICON, &size));
        ASSERT_NE(nullptr, image) << "icon image " << e.id << " missing";
        EXPECT_EQ(32, image->biWidth);
        EXPECT_EQ(64, image->biHeight) << "colour and mask rows";
        EXPECT_EQ(e.bitCount, image->biBitCount);
        // Header, palette, colour rows (32-bit aligned) and the 1-bit mask.
        DWORD palette = (1u << image->biBitCount) * 4;
        DWORD rows = 32 * (32 * image->biBitCount / 8) + 32 * 4;
        EXPECT_EQ(sizeof(BITMAPINFOHEADER) + palette + rows, size);
        bitCounts.insert(image->biBitCount);
        EXPECT_EQ(image->biBitCount == 4 ? 16 : 0, e.colourCount);
    }
    EXPECT_EQ((std::set<int>{4, 8}), bitCounts) << "expected a 16-colour and a 256-colour image";
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR types) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(types)->push_back(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

TEST_F(ProgramFile, HasNoWindowDialogOrMenuResources) {
    EXPECT_EQ(nullptr, FindResourceA(module_, MAKEINTRESOURCEA(1), RT_DIALOG));
    std::vector<ULONG_PTR> types;
    EnumResourceTypesA(module_, &CollectType, reinterpret_cast<LONG_PTR>(&types));
    for (ULONG_PTR type : types) {
        EXPECT_TRUE(type == reinterpret_cast<ULONG_PTR>(RT_ICON) ||
                    type == reinterpret_cast<ULONG_PTR>(RT_GROUP_ICON) ||
                    type == reinterpret_cast<ULONG_PTR>(RT_VERSION) ||
                    type == reinterpret_cast<ULONG_PTR>(RT_MANIFEST))
            << "unexpected resource type " << type;
    }
}

TEST_F(ProgramFile, VersionIs1001) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &handle);
    ASSERT_NE(0u, size) << "no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);
}

// The PE headers and import table, read from the file's bytes.
struct PeFile {
    std::string bytes;
    const IMAGE_NT_HEADERS* nt = nullptr;

    explicit PeFile(const std::string& path) : bytes(vmxtest::ReadFileBytes(path)) {
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
        nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(bytes.data() + dos->e_lfanew);
    }
    const char* At(DWORD rva) const {
        const IMAGE_SECTION_HEADER* s = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++s)
            if (rva >= s->VirtualAddress && rva < s->VirtualAddress + s->SizeOfRawData)
                return bytes.data() + (rva - s->VirtualAddress + s->PointerToRawData);
        return nullptr;
    }
    std::vector<std::string> ImportedDlls() const {
        std::vector<std::string> names;
        DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        auto d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(At(rva));
        for (; d && d->Name != 0; ++d) names.push_back(At(d->Name));
        return names;
    }
};

TEST(ProgramImage, ImportsWindowsSystemDllsOnlyAndIsAWindowProgram) {
    PeFile pe(BuiltSetupPath());
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, pe.nt->OptionalHeader.Subsystem)
        << "a console would open beside the message boxes";
#ifdef _WIN64
    EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, pe.nt->FileHeader.Machine);
#else
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, pe.nt->FileHeader.Machine);
#endif
    // ole32 and oleaut32 ask the desktop's shell to open the readme as the user; both come
    // with every Windows since the 95 family and NT 4.
    const std::set<std::string> system = {"kernel32.dll", "user32.dll",  "advapi32.dll",
                                          "shell32.dll",  "msvcrt.dll",  "ole32.dll",
                                          "oleaut32.dll"};
    std::vector<std::string> dlls = pe.ImportedDlls();
    EXPECT_FALSE(dlls.empty()) << "no import table found";
    for (std::string dll : dlls) {
        std::transform(dll.begin(), dll.end(), dll.begin(), ::tolower);
        EXPECT_TRUE(system.count(dll)) << "imports " << dll << ", not a Windows system DLL";
    }
}

}  // namespace
