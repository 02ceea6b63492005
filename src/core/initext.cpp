#include "initext.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tavelorn::ini {

namespace {

constexpr quint64 kHighBits = 0x8080808080808080ULL;
constexpr quint64 kLowBits = 0x0101010101010101ULL;

// The high bit of each byte of w that is zero, and maybe of bytes above such a byte:
// the lowest bit set is always the first zero byte's.
constexpr quint64 zeroBytes(quint64 w)
{
    return (w - kLowBits) & ~w & kHighBits;
}

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
        // Text is mostly ASCII: 32 bytes a step, then 8.
        while (e - p >= 32) {
            quint64 w[4];
            std::memcpy(w, p, sizeof w);
            if ((w[0] | w[1] | w[2] | w[3]) & kHighBits)
                break;
            p += 32;
        }
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

qsizetype findLineEnd(const char* p, qsizetype pos, qsizetype end)
{
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes a step: the first byte equal to either is the lowest one found.
        for (; end - pos >= 8; pos += 8) {
            quint64 w;
            std::memcpy(&w, p + pos, 8);
            const quint64 hits =
                zeroBytes(w ^ (kLowBits * '\n')) | zeroBytes(w ^ (kLowBits * '\r'));
            if (hits)
                return pos + std::countr_zero(hits) / 8;
        }
    }
    while (pos < end && p[pos] != '\n' && p[pos] != '\r')
        ++pos;
    return pos;
}

qsizetype findLineEnd(const char16_t* p, qsizetype pos, qsizetype end)
{
    while (pos < end && p[pos] != u'\n' && p[pos] != u'\r')
        ++pos;
    return pos;
}

qsizetype countUnit(const char* p, qsizetype begin, qsizetype end, char c)
{
    qsizetype n = 0;
    const char* const e = p + end;
    for (const char* i = p + begin; i < e;) {
        const void* hit = std::memchr(i, c, size_t(e - i));
        if (!hit)
            break;
        ++n;
        i = static_cast<const char*>(hit) + 1;
    }
    return n;
}

qsizetype countUnit(const char16_t* p, qsizetype begin, qsizetype end, char16_t c)
{
    return qsizetype(std::count(p + begin, p + end, c));
}

} // namespace tavelorn::ini
