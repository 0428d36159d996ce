// Numbers, sizes and dates as the viewer shows them, in the language of its texts.
#pragma once

#include <windows.h>

#include <string>

#include "viewer_texts.h"

// Digits in groups of three: "1 234 567" (French), "1,234,567" (Japanese).
std::string FormatByteCount(unsigned long long bytes, const ViewerTexts& texts);

// Short form: "512 octets" below one kilobyte, then three significant digits, cut rather
// than rounded so that a size never shows as more than it is: "1,48 Mo", "15,2 Ko".
std::string FormatSize(unsigned long long bytes, const ViewerTexts& texts);

// The short form followed by the exact count: "1,48 Mo (1 552 384 octets)".
std::string FormatSizeWithBytes(unsigned long long bytes, const ViewerTexts& texts);

// "05/03/2024 14:07" (French), "2024/03/05 14:07" (Japanese).
std::string FormatDateTime(const SYSTEMTIME& time, bool yearFirst);

// A file system time (UTC) in local time, with the daylight rule of that date; empty for
// a zero time.
std::string FormatLocalFileTime(const FILETIME& utc, bool yearFirst);

// A volume serial number as "1234-ABCD".
std::string FormatSerialNumber(DWORD serial);

// A share in thousandths as a percentage with one decimal: "42,3 %".
std::string FormatPermille(int permille, const ViewerTexts& texts);

// "1 élément", "3 éléments"; "3 個の項目".
std::string ItemCountText(int count, const ViewerTexts& texts);
