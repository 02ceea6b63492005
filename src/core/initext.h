#pragma once

#include <QtGlobal>

// Byte scans of the INI accessor, eight bytes at a time.
namespace tavelorn::ini {

// True when the n bytes at p are all below 0x80.
bool isAsciiBytes(const char* p, qsizetype n);

// Strict UTF-8: no overlong forms, surrogates or code points above U+10FFFF.
bool isValidUtf8(const char* s, qsizetype n);

// The first position from pos on, before end, that holds "\n" or "\r"; end when none does.
qsizetype findLineEnd(const char* p, qsizetype pos, qsizetype end);
qsizetype findLineEnd(const char16_t* p, qsizetype pos, qsizetype end);

// How many of the units in [begin, end) are c.
qsizetype countUnit(const char* p, qsizetype begin, qsizetype end, char c);
qsizetype countUnit(const char16_t* p, qsizetype begin, qsizetype end, char16_t c);

} // namespace tavelorn::ini
