// The shipped DLL itself: what it exports, that its exports serve the class, and its version.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include "built_dll.h"
#include "hdrop_data_object.h"
#include "shell_ext_clsid.h"

using vmxtest::ComHold;

namespace {

class BuiltDll : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryA(dlltest::BuiltDllPath().c_str());
        ASSERT_NE(nullptr, module_)
            << "cannot load " << dlltest::BuiltDllPath() << ", error " << GetLastError();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    void* Export(const char* name) const {
        return reinterpret_cast<void*>(GetProcAddress(module_, name));
    }
    void* Export(WORD ordinal) const {
        return reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(ordinal)));
    }

    HMODULE module_ = nullptr;
};

TEST_F(BuiltDll, ExportsTheTwoEntryPointsByPlainNameAndOrdinal) {
    void* canUnload = Export("DllCanUnloadNow");
    void* classObject = Export("DllGetClassObject");
    ASSERT_NE(nullptr, canUnload);
    ASSERT_NE(nullptr, classObject);
    EXPECT_EQ(canUnload, Export(WORD{2}));
    EXPECT_EQ(classObject, Export(WORD{3}));
    for (const char* absent : {"DllGetClassObject@12", "_DllGetClassObject@12", "DllMain",
                               "DllRegisterServer", "DllUnregisterServer", "LiveObjectCount"})
        EXPECT_EQ(nullptr, Export(absent)) << absent << " should not be exported";
}

TEST_F(BuiltDll, ItsExportsServeTheHandler) {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto getClassObject = reinterpret_cast<GetClassObject>(Export("DllGetClassObject"));
    auto canUnloadNow = reinterpret_cast<CanUnloadNow>(Export("DllCanUnloadNow"));
    ASSERT_NE(nullptr, getClassObject);
    ASSERT_NE(nullptr, canUnloadNow);

    EXPECT_EQ(S_OK, canUnloadNow());
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, getClassObject(CLSID_ShellExtHandler, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)));
    IShellExtInit* init = nullptr;
    ASSERT_EQ(S_OK,
              factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "a handler is alive";

    ComHold<vmxtest::HDropDataObject> data(vmxtest::HDropDataObject::Create({"C:\\a.txt"}));
    EXPECT_EQ(S_OK, init->Initialize(nullptr, data.Get(), nullptr));
    IContextMenu* menu = nullptr;
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
    HMENU popup = CreatePopupMenu();
    EXPECT_EQ(1, menu->QueryContextMenu(popup, 0, 100, 200, CMF_NORMAL));
    EXPECT_EQ(1, GetMenuItemCount(popup));
    EXPECT_EQ(100u, GetMenuItemID(popup, 0));
    DestroyMenu(popup);
    menu->Release();
    EXPECT_EQ(0u, init->Release());
    EXPECT_EQ(S_OK, canUnloadNow());
}

std::string VersionString(const std::vector<char>& info, const std::string& translation,
                          const char* name) {
    void* value = nullptr;
    UINT length = 0;
    std::string key = "\\StringFileInfo\\" + translation + "\\" + name;
    if (!VerQueryValueA(info.data(), key.c_str(), &value, &length) || !value) return "<missing>";
    return static_cast<const char*>(value);
}

TEST_F(BuiltDll, CarriesItsVersion) {
    const std::string path = dlltest::BuiltDllPath();
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    ASSERT_NE(0u, size) << "no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    char block[16];
    wsprintfA(block, "%04X%04X", translation[0], translation[1]);
    EXPECT_EQ("1, 0, 0, 1", VersionString(info, block, "FileVersion"));
    EXPECT_EQ("1, 0, 0, 1", VersionString(info, block, "ProductVersion"));
    EXPECT_EQ("VMXTOOL", VersionString(info, block, "InternalName"));
    EXPECT_EQ("VMXTOOL.DLL", VersionString(info, block, "OriginalFilename"));
    for (const char* described : {"CompanyName", "FileDescription", "LegalCopyright"}) {
        std::string text = VersionString(info, block, described);
        EXPECT_NE(std::string::npos, text.find("VelluMax")) << described << ": " << text;
    }
}

}  // namespace
