#include "delete_with_retry.h"

#include <windows.h>

#include "environment.h"
#include "setup_texts.h"
#include "system_calls.h"

void DeleteFileWithRetry(const std::string& path) {
    for (;;) {
        if (DeleteFileA(path.c_str())) return;
        if (GetLastError() != ERROR_ACCESS_DENIED) return;
        const std::string caption = ProductDisplayName + Texts::UninstallQuestionCaptionSuffix;
        const std::string text =
            (IsJapaneseSystem() ? Texts::AccessDeniedJapanese : Texts::AccessDeniedFrench) + path;
        if (SystemCalls.MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                                    MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
            return;
    }
}
