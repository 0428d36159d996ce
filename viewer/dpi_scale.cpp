#include "dpi_scale.h"

namespace {

template <class Function>
Function User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC found = user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
    // Through the generic function type, which any function pointer may be cast to.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

UINT SystemDpi() {
    static const auto getDpiForSystem = User32Function<UINT(WINAPI*)()>("GetDpiForSystem");
    UINT dpi = getDpiForSystem != nullptr ? getDpiForSystem() : 0;
    return dpi != 0 ? dpi : ScreenDpi();
}

UINT WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi) {
    static const auto forDpi = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    if (forDpi != nullptr) return forDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

SIZE FrameForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjustForDpi =
        User32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT frame = {0, 0, width, height};
    if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void SetWindowIcons(HWND window, HINSTANCE instance, int iconId, UINT dpi) {
    const struct {
        WPARAM kind;
        int metric;
    } icons[] = {{ICON_SMALL, SM_CXSMICON}, {ICON_BIG, SM_CXICON}};
    for (const auto& icon : icons) {
        int size = SystemMetricForDpi(icon.metric, dpi);
        // Shared: the system keeps each size once and frees them with the program.
        HANDLE image =
            LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, LR_SHARED);
        if (image != nullptr)
            SendMessageW(window, WM_SETICON, icon.kind, reinterpret_cast<LPARAM>(image));
    }
}

DpiFont::~DpiFont() {
    if (made_ != nullptr) DeleteObject(made_);
}

void DpiFont::Apply(HFONT original, UINT dpi, std::initializer_list<HWND> controls) {
    HFONT font = original;
    LOGFONTW shape = {};
    UINT systemDpi = SystemDpi();
    // A control without a font of its own draws with the icon title font.
    bool shaped = original != nullptr
                      ? GetObjectW(original, sizeof shape, &shape) == sizeof shape
                      : SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof shape, &shape, 0);
    if (dpi != systemDpi && shaped) {
        shape.lfHeight = MulDiv(shape.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
        HFONT scaled = CreateFontIndirectW(&shape);
        if (scaled != nullptr) font = scaled;
    }
    for (HWND control : controls)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (made_ != nullptr) DeleteObject(made_);
    made_ = font != original ? font : nullptr;
}
