// The DLL as COM finds it: registered in the test prefix's classes, created by
// CoCreateInstance in a single-threaded apartment, handed the shell's own data object, and
// asked into a real popup menu.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "built_dll.h"
#include "hdrop_data_object.h"
#include "shell_ext_clsid.h"
#include "shell_ext_handler.h"
#include "test_files.h"

using vmxtest::ComHold;

namespace {

const char ClassKey[] = "CLSID\\{0B95B7E0-C8B9-11CF-8F59-444553540000}";

// Registers the built DLL as the class's in-process server for the scope of a test. The
// per-user classes (HKCU\Software\Classes) would do on Windows, but Wine's COM reads only
// the machine's classes, which HKEY_CLASSES_ROOT writes to. A registration that is already
// there belongs to someone else and is left alone.
class ScopedRegistration {
public:
    ScopedRegistration() {
        HKEY existing = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ClassKey, 0, KEY_READ, &existing) == ERROR_SUCCESS) {
            RegCloseKey(existing);
            result_ = ERROR_ALREADY_EXISTS;
            return;
        }
        owned_ = true;
        const std::string server = std::string(ClassKey) + "\\InprocServer32";
        const std::string dll = dlltest::BuiltDllPath();
        HKEY key = nullptr;
        result_ = RegCreateKeyExA(HKEY_CLASSES_ROOT, server.c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr);
        if (result_ != ERROR_SUCCESS) return;
        result_ =
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                           static_cast<DWORD>(dll.size() + 1));
        if (result_ == ERROR_SUCCESS)
            result_ = RegSetValueExA(key, "ThreadingModel", 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>("Apartment"), 10);
        RegCloseKey(key);
    }
    ~ScopedRegistration() {
        if (owned_) RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey);
    }
    ScopedRegistration(const ScopedRegistration&) = delete;
    ScopedRegistration& operator=(const ScopedRegistration&) = delete;
    LONG Result() const { return result_; }

private:
    LONG result_;
    bool owned_ = false;
};

class ScopedApartment {
public:
    ScopedApartment() : result_(CoInitialize(nullptr)) {}
    ~ScopedApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

// The data object the shell itself makes for one file, as Explorer hands it to handlers:
// the file's folder answers GetUIObjectOf for the file's item.
IDataObject* ShellDataObjectFor(const std::string& file) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHParseDisplayName(wide, nullptr, &pidl, 0, nullptr))) return nullptr;
    IDataObject* data = nullptr;
    ComHold<IShellFolder> folder;
    PCUITEMID_CHILD child = nullptr;
    if (SUCCEEDED(
            SHBindToParent(pidl, IID_IShellFolder, reinterpret_cast<void**>(folder.Put()), &child)))
        folder->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr,
                              reinterpret_cast<void**>(&data));
    CoTaskMemFree(pidl);
    return data;
}

void UseTheRegisteredClass(const std::string& file) {
    ComHold<IShellExtInit> init;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellExtHandler, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellExtInit, reinterpret_cast<void**>(init.Put())));
    // COM found the server through the registration: it is the DLL this build made.
    HMODULE loaded = GetModuleHandleA("vmxtool.dll");
    ASSERT_NE(nullptr, loaded);
    char loadedPath[MAX_PATH] = {};
    GetModuleFileNameA(loaded, loadedPath, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiA(dlltest::BuiltDllPath().c_str(), loadedPath)) << loadedPath;

    ComHold<IDataObject> data(ShellDataObjectFor(file));
    ASSERT_NE(nullptr, data.Get()) << "the shell made no data object for " << file;
    EXPECT_EQ(S_OK, init->Initialize(nullptr, data.Get(), nullptr));

    ComHold<IContextMenu> menu;
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.Put())));
    // The object behind IContextMenu is the handler; it holds the file the shell named.
    const ShellExtHandler* handler = static_cast<const ShellExtHandler*>(menu.Get());
    EXPECT_EQ(1, handler->SelectedCount);
    EXPECT_EQ(0, lstrcmpiA(file.c_str(), handler->LastPath)) << handler->LastPath;

    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 1, "&Open");
    EXPECT_EQ(1, menu->QueryContextMenu(popup, 0, 0x100, 0x200, CMF_NORMAL));
    EXPECT_EQ(2, GetMenuItemCount(popup));
    EXPECT_EQ(0x100u, GetMenuItemID(popup, 1));
    char text[64] = {};
    GetMenuStringA(popup, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_NE('\0', text[0]) << "the added item has no text";
    DestroyMenu(popup);
}

TEST(ComRegistration, TheRegisteredClassAddsItsItemThroughCom) {
    vmxtest::TempFolder folder("vmxcom");
    const std::string file = folder.File("notes.txt");
    vmxtest::WriteFileBytes(file, "x");
    {
        ScopedRegistration registration;
        ASSERT_EQ(ERROR_SUCCESS, registration.Result())
            << "cannot register the class (183: a registration is already in this prefix)";
        ScopedApartment apartment;
        ASSERT_EQ(S_OK, apartment.Result());
        UseTheRegisteredClass(file);
        if (HasFatalFailure()) return;
        // With every object released, COM lets the DLL go.
        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_EQ(nullptr, GetModuleHandleA("vmxtool.dll")) << "the DLL stayed loaded";
    }
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, ClassKey, 0, KEY_READ, &key))
        << "the registration outlived the test";
    if (key) RegCloseKey(key);
}

}  // namespace
