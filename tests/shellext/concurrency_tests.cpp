// Handlers made, used and released on several threads at once: the object count and the
// reference counts must stay exact, so the unload answer is never wrong. Threads only
// record what they saw; the main thread asserts.
#include <gtest/gtest.h>

#include "handler_test_support.h"
#include "hdrop_data_object.h"
#include "live_objects.h"
#include "shell_ext_clsid.h"

using handlertest::NewHandler;
using handlertest::Object;

namespace {

constexpr int Workers = 4;
constexpr int Rounds = 100000;

// Every thread waits at this gate, so that all of them run at the same time.
HANDLE startGate = nullptr;

struct WorkerReport {
    LONG failures = 0;          // a call that should have succeeded did not
    LONG unexpectedCounts = 0;  // AddRef or Release returned a value it could not have
};

DWORD WINAPI MakeUseAndReleaseHandlers(void* param) {
    auto* report = static_cast<WorkerReport*>(param);
    WaitForSingleObject(startGate, INFINITE);
    vmxtest::HDropDataObject* data = vmxtest::HDropDataObject::Create({"C:\\a.txt", "C:\\b.txt"});
    HMENU menu = CreatePopupMenu();
    for (int round = 0; round < Rounds; ++round) {
        IClassFactory* factory = nullptr;
        if (FAILED(DllGetClassObject(CLSID_ShellExtHandler, IID_IClassFactory,
                                     reinterpret_cast<void**>(&factory)))) {
            ++report->failures;
            continue;
        }
        IShellExtInit* init = nullptr;
        HRESULT made =
            factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init));
        if (factory->Release() != 0) ++report->unexpectedCounts;
        if (FAILED(made)) {
            ++report->failures;
            continue;
        }
        IContextMenu* context = nullptr;
        if (FAILED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&context)))) {
            ++report->failures;
        } else {
            // Every eighth round goes the whole way, as the shell does for a right click.
            if (round % 8 == 0) {
                if (init->Initialize(nullptr, data, nullptr) != S_OK) ++report->failures;
                if (context->QueryContextMenu(menu, 0, 1, 100, CMF_NORMAL) != 1) ++report->failures;
                DeleteMenu(menu, 0, MF_BYPOSITION);
            }
            if (context->AddRef() != 3) ++report->unexpectedCounts;
            if (init->Release() != 2) ++report->unexpectedCounts;
            if (context->Release() != 1) ++report->unexpectedCounts;
        }
        if (init->Release() != 0) ++report->unexpectedCounts;
    }
    DestroyMenu(menu);
    data->Release();
    return 0;
}

struct Watch {
    HANDLE stop = nullptr;
    LONG checks = 0;
    LONG wrongAnswers = 0;  // DllCanUnloadNow said S_OK while the watcher held a handler
};

DWORD WINAPI WatchTheUnloadAnswer(void* param) {
    auto* watch = static_cast<Watch*>(param);
    IContextMenu* held = NewHandler();
    if (!held) {
        ++watch->wrongAnswers;
        return 1;
    }
    do {
        ++watch->checks;
        if (DllCanUnloadNow() != S_FALSE) ++watch->wrongAnswers;
    } while (WaitForSingleObject(watch->stop, 0) == WAIT_TIMEOUT);
    held->Release();
    return 0;
}

struct SharedUse {
    IContextMenu* menu;
    LONG earlyDestructions = 0;  // a Release returned 0 while the main thread held a reference
};

DWORD WINAPI AddRefAndReleaseShared(void* param) {
    auto* use = static_cast<SharedUse*>(param);
    IShellExtInit* init = static_cast<IShellExtInit*>(Object(use->menu));
    WaitForSingleObject(startGate, INFINITE);
    for (int i = 0; i < Rounds * 20; ++i) {
        init->AddRef();
        if (use->menu->Release() == 0) ++use->earlyDestructions;
    }
    return 0;
}

// Two threads release the last two references of the same handlers at the same time.
// They meet before every handler, so that their two Releases really overlap.
struct RaceToRelease {
    std::vector<IContextMenu*>* handlers;
    std::vector<LONG>* arrivals;  // per handler: how many threads are ready to release it
    LONG zeros = 0;               // Releases that answered 0, that is destroyed the handler
};

DWORD WINAPI ReleaseEveryHandler(void* param) {
    auto* race = static_cast<RaceToRelease*>(param);
    WaitForSingleObject(startGate, INFINITE);
    for (size_t i = 0; i < race->handlers->size(); ++i) {
        volatile LONG* arrived = &(*race->arrivals)[i];
        InterlockedIncrement(arrived);
        while (*arrived < 2) SwitchToThread();
        if ((*race->handlers)[i]->Release() == 0) ++race->zeros;
    }
    return 0;
}

HANDLE Start(LPTHREAD_START_ROUTINE routine, void* param) {
    return CreateThread(nullptr, 0, routine, param, 0, nullptr);
}

void JoinAll(const std::vector<HANDLE>& threads) {
    WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
    for (HANDLE t : threads) CloseHandle(t);
}

class ConcurrentUse : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, LiveObjectCount);
        startGate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ASSERT_NE(nullptr, startGate);
    }
    void TearDown() override { CloseHandle(startGate); }
};

TEST_F(ConcurrentUse, HandlersOnManyThreadsKeepTheObjectCountExact) {
    Watch watch;
    watch.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE watcher = Start(WatchTheUnloadAnswer, &watch);
    ASSERT_NE(nullptr, watcher);

    WorkerReport reports[Workers];
    std::vector<HANDLE> workers;
    for (WorkerReport& report : reports)
        workers.push_back(Start(MakeUseAndReleaseHandlers, &report));
    for (HANDLE t : workers) ASSERT_NE(nullptr, t);
    SetEvent(startGate);
    JoinAll(workers);
    SetEvent(watch.stop);
    JoinAll({watcher});
    CloseHandle(watch.stop);

    for (int i = 0; i < Workers; ++i) {
        EXPECT_EQ(0, reports[i].failures) << "worker " << i;
        EXPECT_EQ(0, reports[i].unexpectedCounts) << "worker " << i;
    }
    EXPECT_GT(watch.checks, 0);
    EXPECT_EQ(0, watch.wrongAnswers)
        << "DllCanUnloadNow allowed unloading while a handler was alive, in " << watch.wrongAnswers
        << " of " << watch.checks << " checks";
    EXPECT_EQ(0, LiveObjectCount);
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST_F(ConcurrentUse, OneHandlerSharedByManyThreadsKeepsItsCount) {
    SharedUse use{NewHandler()};
    ASSERT_NE(nullptr, use.menu);
    std::vector<HANDLE> threads;
    for (int i = 0; i < Workers; ++i) threads.push_back(Start(AddRefAndReleaseShared, &use));
    for (HANDLE t : threads) ASSERT_NE(nullptr, t);
    SetEvent(startGate);
    JoinAll(threads);

    EXPECT_EQ(0, use.earlyDestructions);
    EXPECT_EQ(1u, Object(use.menu)->RefCount) << "references were lost or invented";
    EXPECT_EQ(1, LiveObjectCount);
    // Releasing a handler whose count went wrong could touch freed memory: only a sound one.
    if (Object(use.menu)->RefCount == 1) {
        EXPECT_EQ(0u, use.menu->Release());
    }
    EXPECT_EQ(0, LiveObjectCount);
}

}  // namespace

namespace {

TEST_F(ConcurrentUse, LastReferencesReleasedTogetherDestroyTheHandlerOnce) {
    constexpr int Batch = 500;
    constexpr int Batches = 40;
    LONG zeros = 0;
    for (int b = 0; b < Batches && !HasFailure(); ++b) {
        std::vector<IContextMenu*> handlers;
        for (int i = 0; i < Batch; ++i) {
            IContextMenu* handler = NewHandler();
            ASSERT_NE(nullptr, handler);
            handler->AddRef();
            handlers.push_back(handler);
        }
        ResetEvent(startGate);
        std::vector<LONG> arrivals(Batch, 0);
        RaceToRelease first{&handlers, &arrivals}, second{&handlers, &arrivals};
        std::vector<HANDLE> threads = {Start(ReleaseEveryHandler, &first),
                                       Start(ReleaseEveryHandler, &second)};
        SetEvent(startGate);
        JoinAll(threads);
        zeros += first.zeros + second.zeros;
        EXPECT_EQ(0, LiveObjectCount) << "after batch " << b;
    }
    EXPECT_EQ(Batch * Batches, zeros) << "each handler must be destroyed exactly once";
}

}  // namespace
