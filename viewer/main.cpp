// vmxtool.exe: shows the items the context menu was used on, or a volume's disk
// information, in the system's language (Japanese or French).
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include "command_line.h"
#include "disk_window.h"
#include "items_window.h"
#include "language.h"
#include "start_trace.h"
#include "viewer_session.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    TraceStart("command", GetCommandLineA());
    const ViewerTexts& texts = SystemTexts();
    ViewerStart start = PrepareViewer(SkipProgramName(GetCommandLineA()), texts);
    switch (start.show) {
        case ViewerShow::Items:
            return RunItemsWindow(instance, start, texts, IsJapaneseSystem(), show);
        case ViewerShow::Disk:
            return RunDiskWindow(instance, start, texts, show);
        case ViewerShow::Nothing:
            break;
    }
    return start.exitCode;
}
