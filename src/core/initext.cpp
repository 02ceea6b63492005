#include "initext.h"

#include <cstring>

namespace tavelorn::ini {

namespace {

constexpr quint64 kHighBits = 0x8080808080808080ULL;

} // namespace

bool isAsciiBytes(const char* p, qsizetype n)
{
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 w;
        std::memcpy(&w, p + i, 8);
        if (w & kHighBits)
            return false;
    }
    for (; i < n; ++i)
        if (uchar(p[i]) >= 0x80)
            return false;
    return true;
}

bool isValidUtf8(const char* s, qsizetype n)
{
    const auto* p = reinterpret_cast<const uchar*>(s);
    const uchar* const e = p + n;
    const auto cont = [](uchar c) { return (c & 0xC0) == 0x80; };
    while (p < e) {
        while (e - p >= 8) {
            quint64 w;
            std::memcpy(&w, p, 8);
            if (w & kHighBits)
                break;
            p += 8;
        }
        if (p == e)
            break;
        const uchar c = *p;
        if (c < 0x80) {
            ++p;
        } else if (c < 0xC2 || c > 0xF4) {
            return false; // a stray continuation byte, an overlong lead, or past U+10FFFF
        } else if (c < 0xE0) {
            if (e - p < 2 || !cont(p[1]))
                return false;
            p += 2;
        } else if (c < 0xF0) {
            if (e - p < 3 || !cont(p[1]) || !cont(p[2]) || (c == 0xE0 && p[1] < 0xA0) ||
                (c == 0xED && p[1] >= 0xA0))
                return false;
            p += 3;
        } else {
            if (e - p < 4 || !cont(p[1]) || !cont(p[2]) || !cont(p[3]) ||
                (c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] >= 0x90))
                return false;
            p += 4;
        }
    }
    return true;
}

} // namespace tavelorn::ini
