#pragma once

#include <QtGlobal>

// Byte scans of the INI accessor, eight bytes at a time.
namespace tavelorn::ini {

// True when the n bytes at p are all below 0x80.
bool isAsciiBytes(const char* p, qsizetype n);

// Strict UTF-8: no overlong forms, surrogates or code points above U+10FFFF.
bool isValidUtf8(const char* s, qsizetype n);

} // namespace tavelorn::ini
