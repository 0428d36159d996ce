// A path in double quotes, as command lines carry it.
#pragma once

#include <string>

namespace viewertest {

inline std::string Quoted(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    out += text;
    out += '"';
    return out;
}

}  // namespace viewertest
