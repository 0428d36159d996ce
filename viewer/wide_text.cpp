#include "wide_text.h"

#include <windows.h>

namespace {

std::wstring Decoded(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return {};
    int size = static_cast<int>(bytes.size());
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), n);
    return text;
}

}  // namespace

std::wstring ShownText(const std::string& bytes, const ViewerTexts& texts) {
    return Decoded(bytes, texts.CodePage);
}

std::wstring WidePath(const std::string& ansiPath) {
    return Decoded(ansiPath, CP_ACP);
}

std::wstring LongPathOf(const std::string& ansiPath) {
    std::wstring given = WidePath(ansiPath);
    // Short names made by the system hold a '~': without one the path is long already, and
    // a list of thousands of items is shown without a look at each folder on its way.
    if (given.find(L'~') == std::wstring::npos) return given;
    std::wstring longer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD n = GetLongPathNameW(given.c_str(), longer.data(), static_cast<DWORD>(longer.size()));
        if (n == 0) return given;
        if (n < longer.size()) {
            longer.resize(n);
            return longer;
        }
        longer.assign(n, L'\0');  // the size it needs, its zero included
    }
    return given;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), n, nullptr, nullptr);
    return bytes;
}
