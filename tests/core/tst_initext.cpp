#include "initext.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <string>

using namespace tavelorn::ini;

namespace {

struct Utf8Case
{
    QByteArray bytes;
    bool valid;
};

// Each case alone, then after 13 ASCII bytes and before 11 more, so that it falls in
// the middle of the eight-byte steps and at the end of the text.
TEST(IniText, ValidatesStrictUtf8)
{
    const Utf8Case cases[] = {
        {"", true},
        {"plain ASCII text", true},
        {"\xC3\xA9", true},          // é
        {"\xE2\x82\xAC", true},      // €
        {"\xF0\x9F\x98\x80", true},  // U+1F600
        {"\xEF\xBF\xBF", true},      // U+FFFF
        {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF
        {"\xED\x9F\xBF", true},      // U+D7FF, before the surrogates
        {"\xEE\x80\x80", true},      // U+E000, after them
        {"\x80", false},             // a continuation byte alone
        {"\xC3", false},             // cut short
        {"\xE2\x82", false},         // cut short
        {"\xF0\x9F\x98", false},     // cut short
        {"\xC3\x28", false},         // no continuation
        {"\xC0\xAF", false},         // overlong "/"
        {"\xC1\xBF", false},         // overlong
        {"\xE0\x9F\xBF", false},     // overlong three-byte form
        {"\xF0\x8F\xBF\xBF", false}, // overlong four-byte form
        {"\xED\xA0\x80", false},     // U+D800, a surrogate
        {"\xED\xBF\xBF", false},     // U+DFFF
        {"\xF4\x90\x80\x80", false}, // U+110000
        {"\xF5\x80\x80\x80", false}, // no such lead
        {"\xFF", false},
        {"\xE9t\xE9", false}, // Latin-1 "été"
        {"\x82\xA0", false},  // Shift-JIS "あ"
    };
    for (const Utf8Case& c : cases) {
        EXPECT_EQ(isValidUtf8(c.bytes.constData(), c.bytes.size()), c.valid)
            << c.bytes.toHex().constData();
        const QByteArray inText = "[Section]\nk=" + c.bytes + "\nl=ASCII.\n";
        EXPECT_EQ(isValidUtf8(inText.constData(), inText.size()), c.valid)
            << inText.toHex().constData();
    }
}

TEST(IniText, TellsAsciiAtEveryPosition)
{
    // A high byte at each position of a text longer than two eight-byte steps.
    const QByteArray ascii(21, 'a');
    EXPECT_TRUE(isAsciiBytes(ascii.constData(), ascii.size()));
    EXPECT_TRUE(isAsciiBytes(ascii.constData(), 0));
    for (qsizetype i = 0; i < ascii.size(); ++i) {
        QByteArray text = ascii;
        text[i] = char(0x80);
        EXPECT_FALSE(isAsciiBytes(text.constData(), text.size())) << i;
        EXPECT_TRUE(isAsciiBytes(text.constData(), i)) << i; // the bytes before it
    }
}

// Against a plain scan, from every start, over bytes that differ from a line end by one
// bit or by one in value: the eight-byte steps must not take them for one.
TEST(IniText, FindsTheFirstLineEnd)
{
    static const char kNear[] = "\x0B\x0C\x8A\x8D\x09\x0E\x2A\x2D\x00\x01\xFF a";
    const QByteArray near(kNear, sizeof kNear - 1);
    for (char end : {'\n', '\r'}) {
        for (qsizetype at = 0; at <= 24; ++at) {
            QByteArray text;
            for (qsizetype i = 0; i < 24; ++i)
                text += near[i % near.size()];
            if (at < text.size())
                text[at] = end;
            text += "\n\r"; // past the end given
            const qsizetype size = 24;
            for (qsizetype from = 0; from <= size; ++from) {
                qsizetype expected = from;
                while (expected < size && text[expected] != '\n' && text[expected] != '\r')
                    ++expected;
                ASSERT_EQ(findLineEnd(text.constData(), from, size), expected) << at << " " << from;
                const std::u16string wide(text.begin(), text.end());
                ASSERT_EQ(findLineEnd(wide.data(), from, size), expected) << at << " " << from;
            }
        }
    }
}

TEST(IniText, CountsUnits)
{
    const QByteArray text = "[a]\nk=[[x]\n[";
    EXPECT_EQ(countUnit(text.constData(), 0, text.size(), '['), 4);
    EXPECT_EQ(countUnit(text.constData(), 1, text.size() - 1, '['), 2);
    EXPECT_EQ(countUnit(text.constData(), 0, 0, '['), 0);
    const std::u16string wide = u"[a]\nk=[[x]\n[";
    EXPECT_EQ(countUnit(wide.data(), 0, qsizetype(wide.size()), u'['), 4);
}

} // namespace
