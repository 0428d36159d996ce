// The few Windows Runtime interfaces of package deployment, declared by hand: the cross
// compiler's headers have none of them. Each lists its methods in vtable order after
// IInspectable's; the methods this code never calls are placeholders that keep the slots.
#pragma once

#include <inspectable.h>
#include <windows.h>
#include <winstring.h>

namespace winrtabi {

using Slot = HRESULT(STDMETHODCALLTYPE*)();

// {9a7d4b65-5e8f-4fc7-a2e5-7f6925cb8b53}
inline constexpr IID IID_IPackageManager = {
    0x9a7d4b65, 0x5e8f, 0x4fc7, {0xa2, 0xe5, 0x7f, 0x69, 0x25, 0xcb, 0x8b, 0x53}};
// {f7aad08d-0840-46f2-b5d8-cad47693a095}
inline constexpr IID IID_IPackageManager2 = {
    0xf7aad08d, 0x0840, 0x46f2, {0xb5, 0xd8, 0xca, 0xd4, 0x76, 0x93, 0xa0, 0x95}};
// {1aa79035-cc71-4b2e-80a6-c7041d8579a7}
inline constexpr IID IID_IPackageManager9 = {
    0x1aa79035, 0xcc71, 0x4b2e, {0x80, 0xa6, 0xc7, 0x04, 0x1d, 0x85, 0x79, 0xa7}};
// {05cee018-f68f-422b-95a4-66679ec77fc0}
inline constexpr IID IID_IAddPackageOptions = {
    0x05cee018, 0xf68f, 0x422b, {0x95, 0xa4, 0x66, 0x67, 0x9e, 0xc7, 0x7f, 0xc0}};
// {44a9796f-723e-4fdf-a218-033e75b0c084}
inline constexpr IID IID_IUriRuntimeClassFactory = {
    0x44a9796f, 0x723e, 0x4fdf, {0xa2, 0x18, 0x03, 0x3e, 0x75, 0xb0, 0xc0, 0x84}};
// IAsyncOperationWithProgress<DeploymentResult, DeploymentProgress>
// {5a97aab7-b6ea-55ac-a5dc-d5b164d94e94}
inline constexpr IID IID_IDeploymentOperation = {
    0x5a97aab7, 0xb6ea, 0x55ac, {0xa5, 0xdc, 0xd5, 0xb1, 0x64, 0xd9, 0x4e, 0x94}};
// Its completed handler, {6e1c7129-61e0-5d88-9fd4-f3ce65a05719}
inline constexpr IID IID_IDeploymentCompletedHandler = {
    0x6e1c7129, 0x61e0, 0x5d88, {0x9f, 0xd4, 0xf3, 0xce, 0x65, 0xa0, 0x57, 0x19}};
// {00000036-0000-0000-C000-000000000046}
inline constexpr IID IID_IAsyncInfo = {
    0x00000036, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

enum AsyncStatus { Started = 0, Completed = 1, Canceled = 2, Error = 3 };
inline constexpr UINT32 RemoveForAllUsers = 524288;

struct IUriRuntimeClass : IInspectable {};

struct IUriRuntimeClassFactory : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE CreateUri(HSTRING uri, IUriRuntimeClass** result) = 0;
};

struct IDeploymentResult : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_ErrorText(HSTRING* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ActivityId(GUID* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExtendedErrorCode(HRESULT* code) = 0;
};

struct IDeploymentOperation;

struct IDeploymentCompletedHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IDeploymentOperation* operation,
                                             AsyncStatus status) = 0;
};

struct IDeploymentOperation : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Progress(IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Progress(IUnknown** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IDeploymentCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IDeploymentCompletedHandler** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(IDeploymentResult** result) = 0;
};

struct IAsyncInfo : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Id(UINT32* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Status(AsyncStatus* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* code) = 0;
    virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

struct IAddPackageOptions : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_DependencyPackageUris(IUnknown**) = 0;        // 6
    virtual HRESULT STDMETHODCALLTYPE get_TargetVolume(IUnknown**) = 0;                 // 7
    virtual HRESULT STDMETHODCALLTYPE put_TargetVolume(IUnknown*) = 0;                  // 8
    virtual HRESULT STDMETHODCALLTYPE get_OptionalPackageFamilyNames(IUnknown**) = 0;   // 9
    virtual HRESULT STDMETHODCALLTYPE get_OptionalPackageUris(IUnknown**) = 0;          // 10
    virtual HRESULT STDMETHODCALLTYPE get_RelatedPackageUris(IUnknown**) = 0;           // 11
    virtual HRESULT STDMETHODCALLTYPE get_ExternalLocationUri(IUriRuntimeClass**) = 0;  // 12
    virtual HRESULT STDMETHODCALLTYPE put_ExternalLocationUri(IUriRuntimeClass*) = 0;   // 13
    virtual HRESULT STDMETHODCALLTYPE get_StubPackageOption(INT32*) = 0;                // 14
    virtual HRESULT STDMETHODCALLTYPE put_StubPackageOption(INT32) = 0;                 // 15
    virtual HRESULT STDMETHODCALLTYPE get_DeveloperMode(boolean*) = 0;                  // 16
    virtual HRESULT STDMETHODCALLTYPE put_DeveloperMode(boolean) = 0;                   // 17
    virtual HRESULT STDMETHODCALLTYPE get_ForceAppShutdown(boolean*) = 0;               // 18
    virtual HRESULT STDMETHODCALLTYPE put_ForceAppShutdown(boolean) = 0;                // 19
    virtual HRESULT STDMETHODCALLTYPE get_ForceTargetAppShutdown(boolean*) = 0;         // 20
    virtual HRESULT STDMETHODCALLTYPE put_ForceTargetAppShutdown(boolean) = 0;          // 21
    virtual HRESULT STDMETHODCALLTYPE get_ForceUpdateFromAnyVersion(boolean*) = 0;      // 22
    virtual HRESULT STDMETHODCALLTYPE put_ForceUpdateFromAnyVersion(boolean) = 0;       // 23
};

struct IPackageManager9 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE FindProvisionedPackages(IUnknown**) = 0;  // 6
    virtual HRESULT STDMETHODCALLTYPE AddPackageByUriAsync(IUriRuntimeClass* uri,
                                                           IAddPackageOptions* options,
                                                           IDeploymentOperation** op) = 0;  // 7
};

struct IPackageId : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Name(HSTRING* name) = 0;                // 6
    virtual HRESULT STDMETHODCALLTYPE get_Version(UINT64* version) = 0;           // 7
    virtual HRESULT STDMETHODCALLTYPE get_Architecture(INT32* architecture) = 0;  // 8
    virtual HRESULT STDMETHODCALLTYPE get_ResourceId(HSTRING* id) = 0;            // 9
    virtual HRESULT STDMETHODCALLTYPE get_Publisher(HSTRING* publisher) = 0;      // 10
    virtual HRESULT STDMETHODCALLTYPE get_PublisherId(HSTRING* id) = 0;           // 11
    virtual HRESULT STDMETHODCALLTYPE get_FullName(HSTRING* name) = 0;            // 12
};

struct IPackage : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Id(IPackageId** id) = 0;  // 6
};

struct IPackageIterator : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Current(IPackage** package) = 0;  // 6
    virtual HRESULT STDMETHODCALLTYPE get_HasCurrent(boolean* has) = 0;     // 7
    virtual HRESULT STDMETHODCALLTYPE MoveNext(boolean* has) = 0;           // 8
};

struct IPackageIterable : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE First(IPackageIterator** first) = 0;  // 6
};

struct IPackageManager : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE AddPackageAsync() = 0;     // 6
    virtual HRESULT STDMETHODCALLTYPE UpdatePackageAsync() = 0;  // 7
    virtual HRESULT STDMETHODCALLTYPE RemovePackageAsync(HSTRING fullName,
                                                         IDeploymentOperation** op) = 0;  // 8
    virtual HRESULT STDMETHODCALLTYPE StagePackageAsync() = 0;                            // 9
    virtual HRESULT STDMETHODCALLTYPE CleanupPackageForUserAsync() = 0;                   // 10
    virtual HRESULT STDMETHODCALLTYPE FindPackages(IPackageIterable** packages) = 0;      // 11
    virtual HRESULT STDMETHODCALLTYPE
    FindPackagesByUserSecurityId(HSTRING userSid, IPackageIterable** packages) = 0;  // 12
};

struct IPackageManager2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE RemovePackageWithOptionsAsync(
        HSTRING fullName, UINT32 options, IDeploymentOperation** op) = 0;  // 6
};

}  // namespace winrtabi
