#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>
#include <vector>

namespace tavelorn {

// The Windows ANSI ("legacy") code pages in which Windows writes INI files:
// 874, 932, 936, 949, 950 and 1250 to 1258.
bool isAnsiCodePage(int codePage);

// The ANSI code page of a POSIX locale name such as "pl_PL.UTF-8", "zh_TW" or
// "sr_RS@latin", from its language, territory and modifier; 1252 for a locale that names
// no language with a code page of its own ("C", "POSIX", "en_US", empty).
int ansiCodePageOfLocale(QByteArrayView locale);

// The code page the user names in TAVELORN_CODEPAGE, when it is one of the ANSI code pages.
std::optional<int> configuredAnsiCodePage();

// The code page of files that carry no BOM and are not UTF-8: the configured one, else
// that of the first of LC_ALL, LC_CTYPE and LANG that is set and not empty.
int userAnsiCodePage();

// Converts between text and one ANSI code page, as the Windows profile functions do.
class CodePageCodec
{
public:
    // codePage must be one for which isAnsiCodePage holds.
    explicit CodePageCodec(int codePage);
    ~CodePageCodec();
    CodePageCodec(const CodePageCodec&) = delete;
    CodePageCodec& operator=(const CodePageCodec&) = delete;

    int number() const { return m_number; }

    // Bytes with no character in the page read as U+FFFD, except where Windows reads
    // them otherwise: the undefined bytes 0x80-0x9F of single-byte pages read as the C1
    // control of the same number, 932's single bytes 80, A0, FD-FF as U+0080 and
    // U+F8F0-U+F8F3, and in 936 a lead byte followed by 7F as one "?".
    QString decode(QByteArrayView bytes);

    // Appends the bytes of text to out. False, with out in an unspecified state, when a
    // character has no code in the page, or its code would read back as another one.
    bool encode(QStringView text, QByteArray& out);

    // True for the double-byte pages (932, 936, 949, 950).
    bool isDoubleByte() const { return m_high == nullptr; }
    // Windows' lead and trail byte ranges of a double-byte page: a lead byte followed by a
    // trail byte is one character.
    bool isLeadByte(uchar b) const;
    bool isTrailByte(uchar b) const;

private:
    QString decodeMultiByte(QByteArrayView bytes);
    bool encodeMultiByte(QStringView text, QByteArray& out);

    int m_number;
    const char16_t* m_high = nullptr; // characters of bytes 0x80-0xFF, single-byte pages
    std::vector<std::pair<char16_t, uchar>> m_codes; // sorted by character, made on demand
    void* m_decoder = nullptr; // iconv descriptors of multi-byte pages, opened on demand
    void* m_encoder = nullptr;
};

} // namespace tavelorn
