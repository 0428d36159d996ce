#include "ask_user.h"

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

int AskUser(const std::string& text, const std::string& caption, UINT style, int goOnAnswer) {
    const bool quiet = QuietRun();
    const int answer =
        quiet ? goOnAnswer
              : SystemCalls.MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
    const UINT codePage = TextCodePage();
    LogUtf8("box [" + Utf8OneLine(caption, codePage) + "] " + Utf8OneLine(text, codePage) +
            " => " + AnswerName(answer) + (quiet ? " (quiet)" : ""));
    return answer;
}
