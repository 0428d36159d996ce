#include "handler_test_support.h"

#include "shell_ext_clsid.h"

namespace handlertest {

IContextMenu* NewHandler() {
    IClassFactory* factory = nullptr;
    if (FAILED(DllGetClassObject(CLSID_ShellExtHandler, IID_IClassFactory,
                                 reinterpret_cast<void**>(&factory))))
        return nullptr;
    IContextMenu* menu = nullptr;
    factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu));
    factory->Release();
    return menu;
}

std::vector<std::string> CapturedPaths(IContextMenu* menu) {
    const ShellExtHandler* handler = Object(menu);
    return std::vector<std::string>(handler->SelectedPaths,
                                    handler->SelectedPaths + handler->SelectedCount);
}

ScriptedAllocations* ScriptedAllocations::current_ = nullptr;

ScriptedAllocations::ScriptedAllocations(std::set<int> failing)
    : guard_(SystemCalls.HeapAlloc, &ScriptedAllocations::Allocate), failing_(std::move(failing)) {
    current_ = this;
}

ScriptedAllocations::~ScriptedAllocations() {
    current_ = nullptr;
}

LPVOID WINAPI ScriptedAllocations::Allocate(HANDLE heap, DWORD flags, SIZE_T size) {
    ScriptedAllocations& self = *current_;
    int call = self.calls_++;
    if (self.failing_.count(call)) return nullptr;
    void* block = ::HeapAlloc(heap, flags, size);
    self.blocks_.push_back(block);
    return block;
}

}  // namespace handlertest
