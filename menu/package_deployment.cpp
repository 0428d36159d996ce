#include "package_deployment.h"

#include <cstring>
#include <new>

#include "menu_package.h"
#include "winrt_deployment_abi.h"

using namespace winrtabi;

namespace {

// The Windows Runtime functions, looked up in combase.dll from the system folder.
struct Runtime {
    HRESULT(WINAPI* Initialize)(int type);
    void(WINAPI* Uninitialize)();
    HRESULT(WINAPI* ActivateInstance)(HSTRING name, IInspectable** instance);
    HRESULT(WINAPI* GetActivationFactory)(HSTRING name, REFIID iid, void** factory);
    HRESULT(WINAPI* CreateString)(const wchar_t* text, UINT32 length, HSTRING* string);
    HRESULT(WINAPI* DeleteString)(HSTRING string);
    const wchar_t*(WINAPI* RawBuffer)(HSTRING string, UINT32* length);
    HMODULE module;
};

constexpr int kMultithreaded = 1;  // RO_INIT_MULTITHREADED

template <class Fn>
bool LookUp(HMODULE module, const char* name, Fn& slot) {
    slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return slot != nullptr;
}

HRESULT LoadRuntime(Runtime& rt) {
    wchar_t path[MAX_PATH];
    UINT n = GetSystemDirectoryW(path, MAX_PATH - 16);
    if (n == 0 || n >= MAX_PATH - 16) return E_FAIL;
    lstrcatW(path, L"\\combase.dll");
    rt.module = LoadLibraryW(path);
    if (!rt.module) return HRESULT_FROM_WIN32(GetLastError());
    if (LookUp(rt.module, "RoInitialize", rt.Initialize) &&
        LookUp(rt.module, "RoUninitialize", rt.Uninitialize) &&
        LookUp(rt.module, "RoActivateInstance", rt.ActivateInstance) &&
        LookUp(rt.module, "RoGetActivationFactory", rt.GetActivationFactory) &&
        LookUp(rt.module, "WindowsCreateString", rt.CreateString) &&
        LookUp(rt.module, "WindowsDeleteString", rt.DeleteString) &&
        LookUp(rt.module, "WindowsGetStringRawBuffer", rt.RawBuffer))
        return S_OK;
    FreeLibrary(rt.module);
    rt.module = nullptr;
    return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

// One reference, released at scope exit.
template <class T>
class Held {
public:
    Held() = default;
    ~Held() {
        if (p_) p_->Release();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    T** Put() {
        if (p_) p_->Release();
        p_ = nullptr;
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

private:
    T* p_ = nullptr;
};

class String {
public:
    String(const Runtime& rt, const wchar_t* text) : rt_(rt) {
        result_ = rt.CreateString(text, static_cast<UINT32>(lstrlenW(text)), &s_);
    }
    explicit String(const Runtime& rt) : rt_(rt) {}
    ~String() {
        if (s_) rt_.DeleteString(s_);
    }
    String(const String&) = delete;
    String& operator=(const String&) = delete;
    HSTRING Get() const { return s_; }
    HSTRING* Put() {
        if (s_) rt_.DeleteString(s_);
        s_ = nullptr;
        return &s_;
    }
    HRESULT Result() const { return result_; }
    bool SameAs(const String& other) const {
        UINT32 length = 0, otherLength = 0;
        const wchar_t* text = s_ ? rt_.RawBuffer(s_, &length) : L"";
        const wchar_t* otherText = other.s_ ? rt_.RawBuffer(other.s_, &otherLength) : L"";
        return length == otherLength &&
               (length == 0 || memcmp(text, otherText, length * sizeof(wchar_t)) == 0);
    }
    bool Equals(const char* ascii) const {
        UINT32 length = 0;
        const wchar_t* text = s_ ? rt_.RawBuffer(s_, &length) : L"";
        for (UINT32 i = 0; i < length; ++i)
            if (ascii[i] == '\0' || text[i] != static_cast<wchar_t>(ascii[i])) return false;
        return ascii[length] == '\0';
    }

private:
    const Runtime& rt_;
    HSTRING s_ = nullptr;
    HRESULT result_ = S_OK;
};

// Signals an event when the operation ends, on whichever thread the system calls it.
class CompletedHandler final : public IDeploymentCompletedHandler {
public:
    explicit CompletedHandler(HANDLE done) : done_(done) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        // IAgileObject: the handler may be called from any thread.
        static const IID agile = {
            0x94ea2b94, 0xe9cc, 0x49e0, {0xc0, 0xff, 0xee, 0x64, 0xca, 0x8f, 0x5b, 0x90}};
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDeploymentCompletedHandler) &&
            !IsEqualIID(riid, agile))
            return E_NOINTERFACE;
        *ppv = static_cast<IDeploymentCompletedHandler*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP Invoke(IDeploymentOperation*, AsyncStatus) override {
        SetEvent(done_);
        return S_OK;
    }

private:
    ~CompletedHandler() = default;
    LONG refs_ = 1;
    HANDLE done_;
};

// Waits for the operation's end and gives its outcome: the deployment's own error where
// it reports one, else the operation's.
HRESULT Outcome(IDeploymentOperation* operation) {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!done) return HRESULT_FROM_WIN32(GetLastError());
    CompletedHandler* handler = new (std::nothrow) CompletedHandler(done);
    HRESULT result = handler ? operation->put_Completed(handler) : E_OUTOFMEMORY;
    if (handler) handler->Release();
    if (SUCCEEDED(result)) WaitForSingleObject(done, INFINITE);
    CloseHandle(done);
    if (FAILED(result)) return result;

    Held<IAsyncInfo> info;
    AsyncStatus status = Error;
    result = operation->QueryInterface(IID_IAsyncInfo, info.PutVoid());
    if (SUCCEEDED(result)) result = info->get_Status(&status);
    if (FAILED(result)) return result;
    if (status == Canceled) return HRESULT_FROM_WIN32(ERROR_CANCELLED);

    Held<IDeploymentResult> deployment;
    HRESULT extended = S_OK;
    if (SUCCEEDED(operation->GetResults(deployment.Put())) && deployment.Get() &&
        SUCCEEDED(deployment->get_ExtendedErrorCode(&extended)) && FAILED(extended))
        return extended;
    if (status == Completed) return S_OK;
    HRESULT error = E_FAIL;
    if (FAILED(info->get_ErrorCode(&error)) || SUCCEEDED(error)) error = E_FAIL;
    return error;
}

HRESULT Activate(const Runtime& rt, const wchar_t* className, REFIID iid, void** object) {
    *object = nullptr;
    String name(rt, className);
    if (FAILED(name.Result())) return name.Result();
    Held<IInspectable> instance;
    HRESULT result = rt.ActivateInstance(name.Get(), instance.Put());
    if (FAILED(result)) return result;
    return instance->QueryInterface(iid, object);
}

HRESULT Register(const Runtime& rt, const wchar_t* msix, const wchar_t* externalFolder) {
    Held<IPackageManager9> manager;
    HRESULT result = Activate(rt, L"Windows.Management.Deployment.PackageManager",
                              IID_IPackageManager9, manager.PutVoid());
    if (FAILED(result)) return result;
    Held<IAddPackageOptions> options;
    result = Activate(rt, L"Windows.Management.Deployment.AddPackageOptions",
                      IID_IAddPackageOptions, options.PutVoid());
    if (FAILED(result)) return result;

    Held<IUriRuntimeClassFactory> uris;
    String uriClass(rt, L"Windows.Foundation.Uri");
    if (FAILED(uriClass.Result())) return uriClass.Result();
    result = rt.GetActivationFactory(uriClass.Get(), IID_IUriRuntimeClassFactory, uris.PutVoid());
    if (FAILED(result)) return result;
    String packageText(rt, msix), folderText(rt, externalFolder);
    if (FAILED(packageText.Result())) return packageText.Result();
    if (FAILED(folderText.Result())) return folderText.Result();
    Held<IUriRuntimeClass> packageUri, folderUri;
    if (FAILED(result = uris->CreateUri(packageText.Get(), packageUri.Put()))) return result;
    if (FAILED(result = uris->CreateUri(folderText.Get(), folderUri.Put()))) return result;

    if (FAILED(result = options->put_ExternalLocationUri(folderUri.Get()))) return result;
    // The same version registered again is refused without this, and an upgrade's new
    // registration must replace whatever version is there.
    if (FAILED(result = options->put_ForceUpdateFromAnyVersion(true))) return result;
    // A COM surrogate of the installed version, left from the last menu, holds the package
    // in use; the update ends it rather than fail.
    if (FAILED(result = options->put_ForceTargetAppShutdown(true))) return result;

    Held<IDeploymentOperation> operation;
    result = manager->AddPackageByUriAsync(packageUri.Get(), options.Get(), operation.Put());
    if (FAILED(result)) return result;
    return Outcome(operation.Get());
}

// The full names of every menu package among `packages`, whatever their publisher: each
// build without a release certificate is a publisher, and so a package family, of its own.
HRESULT FindMenuPackages(const Runtime& rt, IPackageIterable* packages, String* (&names)[16],
                         int& count) {
    count = 0;
    Held<IPackageIterator> at;
    HRESULT result = packages->First(at.Put());
    if (FAILED(result)) return result;
    boolean has = false;
    if (FAILED(result = at->get_HasCurrent(&has))) return result;
    for (; has && count < 16; result = at->MoveNext(&has)) {
        if (FAILED(result)) return result;
        Held<IPackage> package;
        Held<IPackageId> id;
        String name(rt);
        if (FAILED(at->get_Current(package.Put())) || FAILED(package->get_Id(id.Put())) ||
            FAILED(id->get_Name(name.Put())) || !name.Equals(VMX_MENU_PACKAGE_NAME))
            continue;
        String* fullName = new (std::nothrow) String(rt);
        if (!fullName) return E_OUTOFMEMORY;
        names[count++] = fullName;
        if (FAILED(result = id->get_FullName(fullName->Put()))) return result;
    }
    return FAILED(result) ? result : S_OK;
}

// The names found, deleted at scope exit.
struct FoundNames {
    String* names[16] = {};
    int count = 0;
    ~FoundNames() {
        for (int i = 0; i < count; ++i) delete names[i];
    }
};

HRESULT RemoveOne(IPackageManager* manager, HSTRING fullName, bool allUsers) {
    Held<IDeploymentOperation> operation;
    HRESULT result;
    if (allUsers) {
        Held<IPackageManager2> manager2;
        result = manager->QueryInterface(IID_IPackageManager2, manager2.PutVoid());
        if (SUCCEEDED(result))
            result = manager2->RemovePackageWithOptionsAsync(fullName, RemoveForAllUsers,
                                                             operation.Put());
    } else {
        result = manager->RemovePackageAsync(fullName, operation.Put());
    }
    if (FAILED(result)) return result;
    return Outcome(operation.Get());
}

HRESULT Remove(const Runtime& rt, bool allUsers) {
    Held<IPackageManager> manager;
    HRESULT result = Activate(rt, L"Windows.Management.Deployment.PackageManager",
                              IID_IPackageManager, manager.PutVoid());
    if (FAILED(result)) return result;
    // Every user's packages need an administrator; without one, the caller's own, removed
    // for the caller alone.
    Held<IPackageIterable> packages;
    result = allUsers ? manager->FindPackages(packages.Put()) : E_ACCESSDENIED;
    if (FAILED(result)) {
        allUsers = false;
        String thisUser(rt, L"");
        result = manager->FindPackagesByUserSecurityId(thisUser.Get(), packages.Put());
    }
    if (FAILED(result)) return result;
    FoundNames found;
    result = FindMenuPackages(rt, packages.Get(), found.names, found.count);
    if (FAILED(result)) return result;
    if (found.count == 0) return S_FALSE;
    // Every user's list names a package once per user: removing it once removes it for all.
    HRESULT outcome = S_OK;
    for (int i = 0; i < found.count; ++i) {
        bool seen = false;
        for (int j = 0; j < i; ++j) seen = seen || found.names[j]->SameAs(*found.names[i]);
        if (seen) continue;
        result = RemoveOne(manager.Get(), found.names[i]->Get(), allUsers);
        if (FAILED(result) && SUCCEEDED(outcome)) outcome = result;
    }
    return outcome;
}

struct Job {
    const wchar_t* msix;  // null: a removal
    const wchar_t* externalFolder;
    bool allUsers;
    HRESULT result;
};

DWORD WINAPI RunJob(void* parameter) {
    Job& job = *static_cast<Job*>(parameter);
    Runtime rt = {};
    job.result = LoadRuntime(rt);
    if (FAILED(job.result)) return 0;
    HRESULT initialized = rt.Initialize(kMultithreaded);
    if (FAILED(initialized)) {
        job.result = initialized;
    } else {
        if (job.msix) {
            // Earlier builds' packages of the same name, whatever their publisher, would
            // declare the same class and verb beside this one. What cannot be removed is
            // no reason not to register.
            Remove(rt, false);
            job.result = Register(rt, job.msix, job.externalFolder);
        } else {
            job.result = Remove(rt, job.allUsers);
        }
        rt.Uninitialize();
    }
    FreeLibrary(rt.module);
    return 0;
}

HRESULT RunOnOwnThread(Job& job) {
    HANDLE thread = CreateThread(nullptr, 0, RunJob, &job, 0, nullptr);
    if (!thread) return HRESULT_FROM_WIN32(GetLastError());
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return job.result;
}

}  // namespace

HRESULT RegisterSparsePackage(const wchar_t* msix, const wchar_t* externalFolder) {
    if (!msix || !externalFolder || !*msix || !*externalFolder) return E_INVALIDARG;
    Job job = {msix, externalFolder, false, E_FAIL};
    return RunOnOwnThread(job);
}

HRESULT RemoveMenuPackage(bool allUsers) {
    Job job = {nullptr, nullptr, allUsers, E_FAIL};
    return RunOnOwnThread(job);
}
