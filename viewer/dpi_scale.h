// Sizes that follow the dots per inch of the monitor a window is on. The layout is drawn
// for 96 dpi (100 %). Newer systems tell each window's own dpi; the functions for it are
// looked up when needed, so that the viewer still starts where they are missing, and there
// the screen's one dpi serves.
#pragma once

#include <windows.h>

#include <initializer_list>

UINT SystemDpi();
UINT WindowDpi(HWND window);
inline int ScaleForDpi(int pixelsAt96, UINT dpi) {
    return MulDiv(pixelsAt96, static_cast<int>(dpi), 96);
}
int SystemMetricForDpi(int index, UINT dpi);
// The outer size of a window with a client area of width x height at dpi.
SIZE FrameForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi);
// The program's icon at the size of a frame's small or big icon at dpi, set on the window.
void SetWindowIcons(HWND window, HINSTANCE instance, int iconId, UINT dpi);

// Gives controls a font for a dpi: the font they were made with, which suits the system's
// dpi, scaled to the window's. At the system's dpi they keep that font itself. The scaled
// font lives as long as this object or until the next Apply.
class DpiFont {
public:
    DpiFont() = default;
    ~DpiFont();
    DpiFont(const DpiFont&) = delete;
    DpiFont& operator=(const DpiFont&) = delete;

    void Apply(HFONT original, UINT dpi, std::initializer_list<HWND> controls);

private:
    HFONT made_ = nullptr;
};
