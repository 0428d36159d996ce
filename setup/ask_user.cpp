#include "ask_user.h"

#include "environment.h"
#include "run_state.h"
#include "setup_log.h"
#include "system_calls.h"

std::string AnswerName(int answer) {
    switch (answer) {
        case IDOK: return "OK";
        case IDCANCEL: return "Cancel";
        case IDYES: return "Yes";
        case IDNO: return "No";
        case IDRETRY: return "Retry";
        default: return std::to_string(answer);
    }
}

namespace {

// A caption is the display name and a suffix that is French on every system (" Français "):
// on a Japanese system the two are bytes of two code pages, each converted from its own.
std::string CaptionUtf8(const std::string& caption) {
    const UINT codePage = TextCodePage();
    if (codePage == 1252 || caption.compare(0, ProductDisplayName.size(), ProductDisplayName) != 0)
        return Utf8OneLine(caption, codePage);
    return Utf8OneLine(ProductDisplayName, codePage) +
           Utf8OneLine(caption.substr(ProductDisplayName.size()), 1252);
}

}  // namespace

int AskUser(const std::string& text, const std::string& caption, UINT style, int goOnAnswer) {
    const bool quiet = QuietRun();
    const int answer =
        quiet ? goOnAnswer
              : SystemCalls.MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
    LogUtf8("box [" + CaptionUtf8(caption) + "] " + Utf8OneLine(text, TextCodePage()) +
            " => " + AnswerName(answer) + (quiet ? " (quiet)" : ""));
    return answer;
}
