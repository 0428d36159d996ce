// What the handler tests share: handlers made the way the shell makes them, access to the
// object behind an interface, and allocation calls that fail on purpose.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "scoped_override.h"
#include "shell_ext_handler.h"
#include "system_calls.h"

namespace handlertest {

// A handler through DllGetClassObject and IClassFactory::CreateInstance, held once by the
// caller through IContextMenu; the factory is released again. Null on any failure.
IContextMenu* NewHandler();

// The object behind the handler's IContextMenu interface (which sits at its address).
inline ShellExtHandler* Object(IContextMenu* menu) {
    return static_cast<ShellExtHandler*>(menu);
}

// The paths the handler holds, in order.
std::vector<std::string> CapturedPaths(IContextMenu* menu);

// Numbers allocation calls from 0 for a scope; the listed ones fail, the others reach the
// process heap and their blocks are recorded.
class ScriptedAllocations {
public:
    explicit ScriptedAllocations(std::set<int> failing = {});
    ~ScriptedAllocations();
    ScriptedAllocations(const ScriptedAllocations&) = delete;
    ScriptedAllocations& operator=(const ScriptedAllocations&) = delete;
    int Calls() const { return calls_; }
    const std::vector<void*>& Blocks() const { return blocks_; }

private:
    static LPVOID WINAPI Allocate(HANDLE heap, DWORD flags, SIZE_T size);
    static ScriptedAllocations* current_;
    vmxtest::ScopedOverride<decltype(SystemCalls.HeapAlloc)> guard_;
    std::set<int> failing_;
    int calls_ = 0;
    std::vector<void*> blocks_;
};

// True while `block` is an allocated block of the process heap.
inline bool IsHeapBlockInUse(void* block) {
    return HeapValidate(GetProcessHeap(), 0, block);
}

}  // namespace handlertest
