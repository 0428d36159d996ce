// The server's frame: the class object, the factory, the handler's COM identity and
// reference count, and the unload answer that follows the live objects.
#include <gtest/gtest.h>

#include <cstddef>

#include "handler_test_support.h"
#include "hdrop_data_object.h"
#include "live_objects.h"
#include "shell_ext_clsid.h"

using handlertest::NewHandler;
using handlertest::Object;
using vmxtest::ComHold;

namespace {

// Stands in for a result pointer that a failing call must clear.
void* const Untouched = reinterpret_cast<void*>(0x1234);

// Every test starts and must end with no object alive: a leak shows as a failure here.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, LiveObjectCount) << "objects left alive before the test"; }
    void TearDown() override { EXPECT_EQ(0, LiveObjectCount) << "objects left alive by the test"; }

    static IClassFactory* NewFactory() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, DllGetClassObject(CLSID_ShellExtHandler, IID_IClassFactory,
                                          reinterpret_cast<void**>(&factory)));
        return factory;
    }
};

TEST_F(ServerTest, ClassObjectIsServedForOurClassOnly) {
    const CLSID other = {
        0x0B95B7E0, 0xC8B9, 0x11CF, {0x8F, 0x59, 0x44, 0x45, 0x53, 0x54, 0x00, 0x01}};
    void* result = Untouched;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(other, IID_IClassFactory, &result));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(S_OK, DllCanUnloadNow());

    // The class object answers as IUnknown too, and that is the factory itself.
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, DllGetClassObject(CLSID_ShellExtHandler, IID_IUnknown,
                                      reinterpret_cast<void**>(&unknown)));
    ComHold<IUnknown> hold(unknown);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(static_cast<IUnknown*>(factory), unknown);
    EXPECT_EQ(1u, factory->Release()) << "the caller of DllGetClassObject holds the only reference";
}

TEST_F(ServerTest, EveryClassObjectRequestMakesAFreshFactory) {
    ComHold<IClassFactory> first(NewFactory());
    ComHold<IClassFactory> second(NewFactory());
    ASSERT_NE(nullptr, first.Get());
    ASSERT_NE(nullptr, second.Get());
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_EQ(2, LiveObjectCount);
}

TEST_F(ServerTest, RefusedInterfacesLeaveNothingBehind) {
    // The factory offers IUnknown and IClassFactory only.
    void* result = Untouched;
    EXPECT_EQ(E_NOINTERFACE, DllGetClassObject(CLSID_ShellExtHandler, IID_IShellExtInit, &result));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(0, LiveObjectCount);
    EXPECT_EQ(S_OK, DllCanUnloadNow());

    ComHold<IClassFactory> factory(NewFactory());
    ASSERT_NE(nullptr, factory.Get());
    result = Untouched;
    EXPECT_EQ(E_NOINTERFACE, factory->QueryInterface(IID_IContextMenu, &result));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(2u, factory->AddRef()) << "a refused question must not change the count";
    EXPECT_EQ(1u, factory->Release());

    // The handler offers no IClassFactory: the one made for the question is gone again.
    result = Untouched;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &result));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(1, LiveObjectCount) << "only the factory should be alive";
}

TEST_F(ServerTest, AggregationIsRefused) {
    ComHold<IClassFactory> factory(NewFactory());
    ASSERT_NE(nullptr, factory.Get());
    ComHold<vmxtest::HDropDataObject> outer(vmxtest::HDropDataObject::Create({}));
    void* result = Untouched;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.Get(), IID_IUnknown, &result));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(1, LiveObjectCount) << "no handler may exist after a refused aggregation";
}

TEST_F(ServerTest, NoMemoryMeansOutOfMemoryAndNothingAlive) {
    {
        handlertest::ScriptedAllocations fail({0});
        void* result = Untouched;
        EXPECT_EQ(E_OUTOFMEMORY,
                  DllGetClassObject(CLSID_ShellExtHandler, IID_IClassFactory, &result));
        EXPECT_EQ(nullptr, result);
        EXPECT_EQ(0, LiveObjectCount);
    }
    ComHold<IClassFactory> factory(NewFactory());
    ASSERT_NE(nullptr, factory.Get());
    handlertest::ScriptedAllocations fail({0});
    void* result = Untouched;
    EXPECT_EQ(E_OUTOFMEMORY, factory->CreateInstance(nullptr, IID_IContextMenu, &result));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(1, LiveObjectCount);
}

TEST_F(ServerTest, UnloadIsAllowedExactlyWhenNoObjectLives) {
    EXPECT_EQ(S_OK, DllCanUnloadNow());
    IClassFactory* factory = NewFactory();
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_FALSE, DllCanUnloadNow()) << "a factory is alive";

    // A lock neither holds the DLL nor counts as an object.
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    IContextMenu* handler = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu,
                                            reinterpret_cast<void**>(&handler)));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_FALSE, DllCanUnloadNow()) << "a handler is alive";
    EXPECT_EQ(0u, handler->Release());
    EXPECT_EQ(S_OK, DllCanUnloadNow()) << "a server lock must not keep the DLL loaded";

    ComHold<IClassFactory> again(NewFactory());
    EXPECT_EQ(S_OK, again->LockServer(FALSE));
    EXPECT_EQ(1, LiveObjectCount) << "LockServer must not change the object count";
}

TEST_F(ServerTest, HandlerHasOneIdentityAcrossItsInterfaces) {
    ComHold<IContextMenu> menu(NewHandler());
    ASSERT_NE(nullptr, menu.Get());
    IShellExtInit* init = static_cast<IShellExtInit*>(Object(menu.Get()));

    IUnknown* viaMenu = nullptr;
    IUnknown* viaInit = nullptr;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaMenu)));
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaInit)));
    EXPECT_EQ(viaMenu, viaInit);
    EXPECT_EQ(static_cast<IUnknown*>(init), viaMenu) << "the identity is the IShellExtInit part";

    IShellExtInit* initAgain = nullptr;
    IContextMenu* menuAgain = nullptr;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&initAgain)));
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menuAgain)));
    EXPECT_EQ(init, initAgain);
    EXPECT_EQ(menu.Get(), menuAgain);

    void* other = Untouched;
    EXPECT_EQ(E_NOINTERFACE, init->QueryInterface(IID_IDataObject, &other));
    EXPECT_EQ(nullptr, other);
    // One count behind both interfaces: four successful questions added four.
    EXPECT_EQ(5u, Object(menu.Get())->RefCount);
    for (IUnknown* held :
         {static_cast<IUnknown*>(menuAgain), static_cast<IUnknown*>(initAgain), viaInit, viaMenu})
        held->Release();
}

TEST_F(ServerTest, HandlerLivesUntilItsSharedCountReachesZero) {
    IContextMenu* menu = NewHandler();
    ASSERT_NE(nullptr, menu);
    IShellExtInit* init = static_cast<IShellExtInit*>(Object(menu));
    EXPECT_EQ(1u, Object(menu)->RefCount) << "the creator should hold the only reference";

    EXPECT_EQ(2u, init->AddRef());
    EXPECT_EQ(1u, menu->Release());
    EXPECT_EQ(1, LiveObjectCount) << "destroyed while a reference was still held";
    EXPECT_EQ(0u, init->Release()) << "the last release through the other interface";
    EXPECT_EQ(0, LiveObjectCount);
}

TEST_F(ServerTest, HandlerIsLaidOutAsTheShellSeesIt) {
    ComHold<IContextMenu> menu(NewHandler());
    ASSERT_NE(nullptr, menu.Get());
    ShellExtHandler* handler = Object(menu.Get());
    auto offset = [handler](const void* part) {
        return static_cast<std::size_t>(static_cast<const char*>(part) -
                                        reinterpret_cast<const char*>(handler));
    };
    const std::size_t pointer = sizeof(void*);
    const std::size_t table = (2 * pointer + MAX_PATH + pointer - 1) / pointer * pointer;

    EXPECT_EQ(0u, offset(static_cast<IContextMenu*>(handler)));
    EXPECT_EQ(pointer, offset(static_cast<IShellExtInit*>(handler)));
    EXPECT_EQ(2 * pointer, offset(handler->LastPath));
    EXPECT_EQ(table, offset(handler->SelectedPaths));
    EXPECT_EQ(table + MaxSelectedPaths * pointer, offset(&handler->SelectedCount));
    EXPECT_EQ(table + MaxSelectedPaths * pointer + 4, offset(&handler->RefCount));
    EXPECT_EQ(4u, sizeof handler->SelectedCount);
    EXPECT_EQ(4u, sizeof handler->RefCount);

    EXPECT_STREQ("", handler->LastPath);
    EXPECT_EQ(0, handler->SelectedCount);
}

}  // namespace
