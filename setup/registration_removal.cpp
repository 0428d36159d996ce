#include "registration_removal.h"

#include "registry.h"
#include "system_calls.h"
#include "windows64.h"

void RemoveShellExtensionRegistration() {
    {
        // The class is kept per registry view; the handler entries are shared by both.
        for (REGSAM view : ProductRegistryViews()) {
            TRegistry registry;
            registry.View = view;
            registry.SelectRoot(HKEY_CLASSES_ROOT);
            registry.RemoveTree("CLSID\\{0b95b7e0-c8b9-11cf-8f59-444553540000}");
        }
        TRegistry registry;
        registry.SelectRoot(HKEY_CLASSES_ROOT);
        registry.RemoveTree("*\\ShellEx\\ContextMenuHandlers\\VelluMax");
        registry.RemoveTree("folder\\ShellEx\\ContextMenuHandlers\\VelluMax");
    }
    // Not reached when an error leaves the block above.
    SystemCalls.RegFlushKey(HKEY_CLASSES_ROOT);
    SystemCalls.Sleep(3000);
}

void RemoveDiskInfoVerbs() {
    TRegistry registry;
    registry.SelectRoot(HKEY_CLASSES_ROOT);
    registry.RemoveTree("Drive\\shell\\DiskInfoByVmax");
    registry.RemoveTree("Directory\\shell\\DiskInfoByVmax");
}
