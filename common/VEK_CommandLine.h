// Numbers given on our programs' command lines: plain decimal digits only (no sign, spaces
// or exponent), checked against their range as they are read, so they cannot overflow.
#pragma once

#include <string>

namespace cmdline {

// A whole number from low to high (high well below LONG_MAX / 10); false for no text.
inline bool ParseWhole(const char* text, long low, long high, long& value)
{
    if (!text || *text == '\0') return false;
    long parsed = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        parsed = parsed * 10 + (*c - '0');
        if (parsed > high) return false;
    }
    if (parsed < low) return false;
    value = parsed;
    return true;
}

// "WxH", each side from 1 to maxSide.
inline bool ParseSize(const std::string& text, long maxSide, int& width, int& height)
{
    const std::size_t x = text.find('x');
    if (x == std::string::npos) return false;
    long w = 0, h = 0;
    if (!ParseWhole(text.substr(0, x).c_str(), 1, maxSide, w) || !ParseWhole(text.substr(x + 1).c_str(), 1, maxSide, h))
        return false;
    width = int(w);
    height = int(h);
    return true;
}

}  // namespace cmdline
