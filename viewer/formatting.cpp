#include "formatting.h"

namespace {

std::string Padded(unsigned value, size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

}  // namespace

std::string FormatByteCount(unsigned long long bytes, const ViewerTexts& texts) {
    std::string digits = std::to_string(bytes);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += texts.GroupMark;
        out += digits[i];
    }
    return out;
}

std::string FormatSize(unsigned long long bytes, const ViewerTexts& texts) {
    if (bytes < 1024) {
        return FormatByteCount(bytes, texts) + " " +
               (bytes <= 1 ? texts.ByteSingular : texts.BytePlural);
    }
    const char* units[] = {texts.UnitKilo, texts.UnitMega, texts.UnitGiga, texts.UnitTera};
    int unit = 0;
    while (unit < 3 && (bytes >> (10 * (unit + 1))) >= 1024) ++unit;
    int shift = 10 * (unit + 1);
    unsigned long long whole = bytes >> shift;
    unsigned long long rest = bytes & ((1ull << shift) - 1);
    unsigned hundredths = static_cast<unsigned>((rest * 100) >> shift);

    std::string out = FormatByteCount(whole, texts);
    if (whole < 10) {
        out += texts.DecimalMark + Padded(hundredths, 2);
    } else if (whole < 100) {
        out += texts.DecimalMark + std::to_string(hundredths / 10);
    }
    return out + " " + units[unit];
}

std::string FormatSizeWithBytes(unsigned long long bytes, const ViewerTexts& texts) {
    if (bytes < 1024) return FormatSize(bytes, texts);
    return FormatSize(bytes, texts) + " (" + FormatByteCount(bytes, texts) + " " +
           texts.BytePlural + ")";
}

std::string FormatDateTime(const SYSTEMTIME& time, bool yearFirst) {
    std::string day = Padded(time.wDay, 2), month = Padded(time.wMonth, 2),
                year = Padded(time.wYear, 4);
    std::string date = yearFirst ? year + "/" + month + "/" + day : day + "/" + month + "/" + year;
    return date + " " + Padded(time.wHour, 2) + ":" + Padded(time.wMinute, 2);
}

std::string FormatLocalFileTime(const FILETIME& utc, bool yearFirst) {
    if (utc.dwLowDateTime == 0 && utc.dwHighDateTime == 0) return {};
    SYSTEMTIME universal = {}, local = {};
    if (!FileTimeToSystemTime(&utc, &universal)) return {};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
        FILETIME shifted = {};
        if (!FileTimeToLocalFileTime(&utc, &shifted) || !FileTimeToSystemTime(&shifted, &local)) {
            return {};
        }
    }
    return FormatDateTime(local, yearFirst);
}

std::string FormatSerialNumber(DWORD serial) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 7; i >= 0; --i) {
        out += hex[(serial >> (4 * i)) & 0xF];
        if (i == 4) out += '-';
    }
    return out;
}

std::string FormatPermille(int permille, const ViewerTexts& texts) {
    if (permille < 0) permille = 0;
    return std::to_string(permille / 10) + texts.DecimalMark + std::to_string(permille % 10) + " %";
}

std::string ItemCountText(int count, const ViewerTexts& texts) {
    return std::to_string(count) + (count == 1 ? texts.ItemSingular : texts.ItemPlural);
}
