// Registration of the package under Wine, where no package manager can be activated: every
// call answers with a failure, returns, and leaves the machine as it was.
#include <gtest/gtest.h>

#include "menu_package.h"
#include "menu_test_support.h"
#include "package_deployment.h"

namespace menutest {
namespace {

bool KeyExists(HKEY root, const char* path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// What a registration that went wrong could leave: a class key in either view for this
// user or the machine.
std::vector<std::string> ClassKeysLeft() {
    std::vector<std::string> left;
    const std::string clsid = std::string("Software\\Classes\\CLSID\\") + VMX_MENU_CLSID;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
            if (KeyExists(root, clsid.c_str(), view)) left.push_back(clsid);
    return left;
}

class RegistrationTest : public BuiltMenuDll {};

TEST_F(RegistrationTest, RegsvrFailsCleanlyWhereNoPackageManagerExists) {
    ASSERT_TRUE(copied_);
    ASSERT_NE(nullptr, dll_) << "cannot load " << dllCopy_ << ": error " << loadError_;
    vmxtest::WriteFileBytes(folder_.File("vmxmenu.msix"), "PK not a real package");
    std::vector<std::string> before = vmxtest::FolderEntries(folder_.Path());
    using Entry = HRESULT(WINAPI*)();
    for (const char* name : {"DllRegisterServer", "DllUnregisterServer"}) {
        auto entry = reinterpret_cast<Entry>(Export(name));
        ASSERT_NE(nullptr, entry) << name << " is not exported";
        HRESULT result = entry();
        EXPECT_TRUE(FAILED(result)) << name << " answered 0x" << std::hex << result;
    }
    EXPECT_EQ(before, vmxtest::FolderEntries(folder_.Path())) << "files beside the DLL changed";
    EXPECT_TRUE(ClassKeysLeft().empty()) << ClassKeysLeft()[0];
}

// The setup program calls these from its own threads, an apartment or none; each call
// waits on a thread of its own, so the caller's apartment does not matter.
TEST(PackageDeployment, EveryCallFailsAndReturnsFromAnyApartment) {
    const std::wstring package = Wide(vmxtest::ProgramFolder()) + L"vmxmenu.msix";
    const std::wstring folder = Wide(vmxtest::ProgramFolder());
    auto calls = [&] {
        std::vector<HRESULT> results = {RegisterSparsePackage(package.c_str(), folder.c_str()),
                                        RemoveMenuPackage(false), RemoveMenuPackage(true)};
        return results;
    };
    std::vector<HRESULT> none = calls();
    std::vector<HRESULT> single, multi;
    {
        Apartment sta;
        single = calls();
    }
    auto inMta = [&] { multi = calls(); };
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* c) -> DWORD {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            (*static_cast<decltype(inMta)*>(c))();
            CoUninitialize();
            return 0;
        },
        &inMta, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    for (const auto* results : {&none, &single, &multi})
        for (HRESULT result : *results)
            EXPECT_TRUE(FAILED(result)) << "answered 0x" << std::hex << result;
    EXPECT_TRUE(ClassKeysLeft().empty());
}

TEST(PackageDeployment, RefusesAMissingPackageOrLocation) {
    EXPECT_EQ(E_INVALIDARG, RegisterSparsePackage(nullptr, L"C:\\"));
    EXPECT_EQ(E_INVALIDARG, RegisterSparsePackage(L"C:\\x.msix", nullptr));
    EXPECT_EQ(E_INVALIDARG, RegisterSparsePackage(L"", L"C:\\"));
}

}  // namespace
}  // namespace menutest
