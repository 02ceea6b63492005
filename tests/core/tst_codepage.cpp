#include "codepage.h"
#include "testfiles.h"

#include <gtest/gtest.h>

using namespace tavelorn;

namespace {

TEST(CodePage, OfLocale)
{
    const struct
    {
        const char* locale;
        int codePage;
    } cases[] = {
        {"pl_PL.UTF-8", 1250},
        {"cs_CZ", 1250},
        {"sr_RS@latin", 1250},
        {"sr_ME.UTF-8", 1250},
        {"ru_RU.UTF-8", 1251},
        {"uk_UA", 1251},
        {"sr_RS", 1251},
        {"uz_UZ@cyrillic", 1251},
        {"el_GR.UTF-8", 1253},
        {"tr_TR", 1254},
        {"uz_UZ", 1254},
        {"he_IL.UTF-8", 1255},
        {"ar_EG", 1256},
        {"fa_IR", 1256},
        {"lt_LT", 1257},
        {"vi_VN", 1258},
        {"th_TH.UTF-8", 874},
        {"ja_JP.eucJP", 932},
        {"zh_CN.GB18030", 936},
        {"zh_SG", 936},
        {"zh", 936},
        {"zh_TW.Big5", 950},
        {"zh_HK.UTF-8", 950},
        {"ko_KR.EUC-KR", 949},
        {"fr_FR.UTF-8", 1252},
        {"de_DE@euro", 1252},
        {"en_US", 1252},
        {"hi_IN", 1252},
        {"C", 1252},
        {"C.UTF-8", 1252},
        {"POSIX", 1252},
        {"", 1252},
        {"_@.", 1252},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ansiCodePageOfLocale(c.locale), c.codePage) << c.locale;
}

TEST(CodePage, OfUserFromEnvironment)
{
    ScopedEnv forced("TAVELORN_CODEPAGE", nullptr);
    ScopedEnv all("LC_ALL", "ru_RU.UTF-8");
    ScopedEnv ctype("LC_CTYPE", "pl_PL.UTF-8");
    ScopedEnv lang("LANG", "el_GR.UTF-8");
    EXPECT_EQ(userAnsiCodePage(), 1251);
    all.set("");
    EXPECT_EQ(userAnsiCodePage(), 1250);
    ctype.set(nullptr);
    EXPECT_EQ(userAnsiCodePage(), 1253);
    lang.set(nullptr);
    EXPECT_EQ(userAnsiCodePage(), 1252);

    // The override, when it names an ANSI code page.
    all.set("ru_RU.UTF-8");
    for (const char* value : {"932", " 1250", "1250"}) {
        forced.set(value);
        EXPECT_EQ(userAnsiCodePage(), QByteArray(value).trimmed().toInt()) << value;
    }
    for (const char* value : {"", "65001", "1252x", "cp1250", "-1250", "437"}) {
        forced.set(value);
        EXPECT_EQ(userAnsiCodePage(), 1251) << value;
    }
}

struct CodecCase
{
    int codePage;
    QByteArray bytes;
    QString text;
};

// Both ways, for a sample of each page.
TEST(CodePage, DecodesAndEncodesEveryPage)
{
    const CodecCase cases[] = {
        {874, "\xE4\xB7\xC2", u"ไทย"_qs},
        {932, "\x93\xFA\x96{\x8C\xEA\xB1 \\~", u"日本語ｱ \\~"_qs},
        {936, "\xD6\xD0\xCE\xC4\x80", u"中文€"_qs},
        {949, "\xC7\xD1\xB1\xB9\xBE\xEE", u"한국어"_qs},
        {950, "\xA4\xA4\xA4\xE5\xA3\xE1", u"中文€"_qs},
        {1250,
         "\xA3\xF3"
         "d\x9F",
         u"Łódź"_qs},
        {1251, "\xD2\xE5\xF1\xF2\xEE\xE2\xE0\xFF", u"Тестовая"_qs},
        {1252, "Syst\xE8me \x80 \x93test\x94 \x8C", u"Système € “test” Œ"_qs},
        {1253, "\xC1\xE8\xDE\xED\xE1", u"Αθήνα"_qs},
        {1254, "\xDDstanbul \xF0", u"İstanbul ğ"_qs},
        {1255, "\xF9\xEC\xE5\xED", u"שלום"_qs},
        {1256, "\xD3\xE1\xC7\xE3", u"سلام"_qs},
        {1257, "\xC0\xFEuolas", u"Ąžuolas"_qs},
        {1258, "Vi\xEA\xF2t", u"Viê\u0323t"_qs},
        // Bytes a single-byte page leaves undefined in 0x80-0x9F read as C1 controls, as
        // on Windows, and so write back as they were.
        {1252, "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"_qs},
        {1253, "\x81", u"\u0081"_qs},
    };
    for (const CodecCase& c : cases) {
        SCOPED_TRACE(c.codePage);
        ASSERT_TRUE(isAnsiCodePage(c.codePage));
        CodePageCodec cp(c.codePage);
        EXPECT_EQ(cp.decode(c.bytes), c.text);
        QByteArray out = "x";
        ASSERT_TRUE(cp.encode(c.text, out));
        EXPECT_EQ(out, "x" + c.bytes);
    }
    EXPECT_FALSE(isAnsiCodePage(65001));
    EXPECT_FALSE(isAnsiCodePage(437));
}

// Bytes with no character read as one U+FFFD each, or for a lead and trail byte pair;
// a CR or LF byte is never swallowed into a pair.
TEST(CodePage, BytesWithoutCharacterReadAsReplacement)
{
    const CodecCase cases[] = {
        {1253,
         "a\xAA"
         "b\xFF",
         u"a\uFFFDb\uFFFD"_qs},
        {1255, "\xD9", u"\uFFFD"_qs},
        {874, "\xDB", u"\uFFFD"_qs},
        {932, "[\x85\x5D]", u"[\uFFFD]"_qs},
        {932, "\x93\n\x93\r\n\x93", u"\uFFFD\n\uFFFD\r\n\uFFFD"_qs},
        {949, "\xC7\x30", u"\uFFFD0"_qs},
        {950, "\xA4\x80\xA4", u"\uFFFD\u0080\uFFFD"_qs},
    };
    for (const CodecCase& c : cases) {
        SCOPED_TRACE(c.codePage);
        EXPECT_EQ(CodePageCodec(c.codePage).decode(c.bytes), c.text);
    }
}

// What Windows reads where glibc has no character: cp932's single bytes 80, A0 and FD-FF
// (written back as the same bytes), and in cp936 a lead byte with a 7F after it, one "?".
TEST(CodePage, WindowsReadsWhereGlibcHasNoCharacter)
{
    const struct
    {
        int codePage;
        QByteArray bytes;
        QString text;
        bool writesBack;
    } cases[] = {
        {932, "\x80", u"\u0080"_qs, true},
        {932, "\xA0", u"\uF8F0"_qs, true},
        {932, "\xFD", u"\uF8F1"_qs, true},
        {932, "\xFE", u"\uF8F2"_qs, true},
        {932, "\xFF", u"\uF8F3"_qs, true},
        {932, "a\x80\x93\xFA\xA0\xFD\xFE\xFFz", u"a\u0080日\uF8F0\uF8F1\uF8F2\uF8F3z"_qs, true},
        {936, "\x81\x7F", u"?"_qs, false},
        {936, "a\xFE\x7F\xD6\xD0", u"a?中"_qs, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        CodePageCodec page(c.codePage);
        EXPECT_EQ(page.decode(c.bytes), c.text);
        if (c.writesBack) {
            QByteArray back;
            EXPECT_TRUE(page.encode(c.text, back));
            EXPECT_EQ(back, c.bytes);
        }
    }
}

// Encoding refuses what the page cannot hold, never writing "?" or a look-alike.
TEST(CodePage, EncodingRefusesCharactersThePageLacks)
{
    const struct
    {
        int codePage;
        QString text;
    } cases[] = {
        {1252, u"Łódź"_qs},
        {1250, u"Ω"_qs},
        {1251, u"é"_qs},
        {1252, u"\uFFFD"_qs},
        {1253, u"\uFFFD"_qs},
        {1258, u"Việt"_qs},              // precomposed: the page has only base and mark
        {932, u"\u301C"_qs},             // wave dash: glibc would write the fullwidth tilde
        {932, u"日本\U0001F600"_qs},     // beyond the BMP
        {932, u"АБ"_qs + QChar(0xD800)}, // a lone surrogate
        {936, u"한"_qs},
        {949, u"ไ"_qs},
        {950, u"Ł"_qs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        QByteArray out;
        EXPECT_FALSE(CodePageCodec(c.codePage).encode(c.text, out));
    }
}

} // namespace

namespace {

// Windows' 936 defines every lead byte 81-FE with every trail byte 40-7E and 80-FE, and
// the single bytes 80 and FF: each reads as one character, never U+FFFD, and encodes back
// to its bytes.
TEST(CodePage, Cp936EveryPairReadsAndWritesBack)
{
    CodePageCodec page(936);
    QStringList failures;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            QByteArray bytes(1, char(lead));
            bytes += char(trail);
            const QString text = page.decode(bytes);
            QByteArray back;
            if (text.size() != 1 || text[0] == QChar(0xFFFD) || !page.encode(text, back) ||
                back != bytes)
                failures << QString::fromLatin1(bytes.toHex());
        }
    EXPECT_TRUE(failures.isEmpty())
        << failures.size() << " pairs: " << failures.mid(0, 20).join(u' ').toStdString();
    for (const auto& [byte, c] : {std::pair{0x80, 0x20AC}, std::pair{0xFF, 0xF8F5}}) {
        const QByteArray bytes(1, char(byte));
        EXPECT_EQ(page.decode(bytes), QString(QChar(c)));
        QByteArray back;
        EXPECT_TRUE(page.encode(QString(QChar(c)), back));
        EXPECT_EQ(back, bytes);
    }
}

// The private-use characters of the cells glibc leaves out, at the ends of each range.
TEST(CodePage, Cp936PrivateUseCharacters)
{
    const std::pair<QByteArray, char16_t> cases[] = {
        {"\xAA\xA1", 0xE000}, {"\xAF\xFE", 0xE233}, {"\xF8\xA1", 0xE234}, {"\xFE\xFE", 0xE4C5},
        {"\xA1\x40", 0xE4C6}, {"\xA1\x7E", 0xE504}, {"\xA1\x80", 0xE505}, {"\xA7\xA0", 0xE765},
        {"\xA2\xAB", 0xE766}, {"\xD7\xFE", 0xE814}, {"\xFE\x50", 0xE815}, {"\xFE\xA0", 0xE864},
    };
    CodePageCodec page(936);
    for (const auto& [bytes, c] : cases) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        EXPECT_EQ(page.decode(bytes), QString(QChar(c)));
    }
}

} // namespace
