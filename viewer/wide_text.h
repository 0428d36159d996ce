// The windows show UTF-16, so that names outside the ANSI code page appear as they are.
// The viewer's own texts stay bytes of the code page they are written in and become UTF-16
// only on their way to a window; paths arrive as ANSI bytes.
#pragma once

#include <string>

#include "viewer_texts.h"

// One of the viewer's texts, or text built from them, read in their own code page.
std::wstring ShownText(const std::string& bytes, const ViewerTexts& texts);

// A path as the command line or the list file gives it, in the ANSI code page.
std::wstring WidePath(const std::string& ansiPath);

// A path with every part in its long form, as the user named it: a short 8.3 path shows
// the real names. A path that cannot be found, or holds no short name, stays as given.
std::wstring LongPathOf(const std::string& ansiPath);

std::string Utf8(const std::wstring& text);
