#include "delete_with_retry.h"

#include <windows.h>

#include "ask_user.h"
#include "environment.h"
#include "setup_texts.h"

void DeleteFileWithRetry(const std::string& path) {
    for (;;) {
        if (DeleteFileA(path.c_str())) return;
        if (GetLastError() != ERROR_ACCESS_DENIED) return;
        const std::string caption = ProductDisplayName + Texts::UninstallQuestionCaptionSuffix;
        const std::string text =
            (IsJapaneseSystem() ? Texts::AccessDeniedJapanese : Texts::AccessDeniedFrench) + path;
        // A quiet run gives the file up at once: it goes at the restart, as after Cancel.
        if (AskUser(text, caption, MB_RETRYCANCEL | MB_ICONWARNING, IDCANCEL) != IDRETRY) return;
    }
}
