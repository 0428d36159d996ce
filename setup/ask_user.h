// The one place where the setup program asks the user something. An interactive run shows
// the box; a quiet run shows nothing and takes the answer that goes on. Either way the log
// gets the box's text and the answer taken.
#pragma once

#include <windows.h>

#include <string>

// text and caption are bytes of the program's texts' code page (TextCodePage()). Returns
// the box's result, or goOnAnswer in a quiet run.
int AskUser(const std::string& text, const std::string& caption, UINT style, int goOnAnswer);

// "OK", "Cancel", "Yes", "No", "Retry", or the number.
std::string AnswerName(int answer);
