#include "apperror.h"
#include "colorvalue.h"
#include "datetime.h"
#include "folders.h"
#include "testfiles.h"
#include "text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace tavelorn;

namespace {

TEST(ErrorText, FullStopIsAppendedAfterCharactersAboveIt)
{
    const struct
    {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Impossible d'écrire dans /a/Config.ini", "Impossible d'écrire dans /a/Config.ini."},
        {"Done.", "Done."},
        {"Really?", "Really?."}, // '?' is above '.'
        {"Stop!", "Stop!"},      // '!' is below
        {"(x)", "(x)"},          // ')' is below
        {"a/", "a/."},           // '/' is just above
        {"Erreur JPEG #42", "Erreur JPEG #42."},
        {"trailing space ", "trailing space "},
        {"été", "été."},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorBoxText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown))
            << c.message;
}

TEST(ErrorText, SystemTextLosesTrailingStopsBlanksAndLineBreaks)
{
    EXPECT_EQ(stripSystemErrorText("Access is denied.\r\n"), "Access is denied");
    EXPECT_EQ(stripSystemErrorText("Disk full . . \n\t"), "Disk full");
    EXPECT_EQ(stripSystemErrorText("v1.2 inside"), "v1.2 inside");
    EXPECT_EQ(stripSystemErrorText(" .\r\n"), "");
    const QString text = systemErrorText(ENOENT);
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.endsWith(u'.') || text.endsWith(u' ') || text.endsWith(u'\n'));
}

TEST(ColorValue, HexNotationBecomesTheStoredBgrValue)
{
    constexpr Color c = colorFromHex(0x3399FF);
    EXPECT_EQ(c, 0x00FF9933);
    EXPECT_EQ(colorRed(c), 0x33);
    EXPECT_EQ(colorGreen(c), 0x99);
    EXPECT_EQ(colorBlue(c), 0xFF);
    EXPECT_FALSE(isSystemColor(c));
    EXPECT_FALSE(isSystemColor(kColorNone));
    EXPECT_TRUE(isSystemColor(kColorWindowText));
}

TEST(ColorValue, SystemColoursTakeTheClassicSchemeWhateverTheDesktop)
{
    const struct
    {
        Color color;
        Color plain;
    } cases[] = {
        {0x00123456, 0x00123456},                            // plain: passes through
        {kColorNone, kColorNone},                            // no colour: passes through
        {kSystemColorFlag | 0, makeColor(0xC8, 0xC8, 0xC8)}, // first of the table
        {kColorWindow, kColorWhite},
        {kColorWindowText, kColorBlack},
        {kColorHighlight, makeColor(0x33, 0x99, 0xFF)},
        {kColorGrayText, makeColor(0x6D, 0x6D, 0x6D)},
        {kSystemColorFlag | 24, makeColor(0xFF, 0xFF, 0xE1)}, // last of the table
        {kSystemColorFlag | 25, kColorBlack},                 // past it
        {kSystemColorFlag | 0xFF, kColorBlack},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defaultSchemeColor(c.color), c.plain) << std::hex << c.color;
}

TEST(Text, TrimRemovesCodesUpTo32Only)
{
    EXPECT_EQ(trimText(QStringLiteral("\t\r\n x y \x01")), "x y");
    EXPECT_EQ(trimText(QStringLiteral("\u00A0x\u00A0")), QStringLiteral("\u00A0x\u00A0"));
    EXPECT_EQ(trimText("   "), "");
}

TEST(ShortDate, UsesTheLocaleOrderAndSeparatorWithFourDigitYears)
{
    const QDate day(2024, 1, 5);
    const struct
    {
        QLocale locale;
        const char* format;
        const char* text;
    } cases[] = {
        {QLocale(QLocale::French, QLocale::France), "dd/MM/yyyy", "05/01/2024"},
        {QLocale(QLocale::German, QLocale::Germany), "dd.MM.yyyy", "05.01.2024"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "M/d/yyyy", "1/5/2024"},
        {QLocale(QLocale::Swedish, QLocale::Sweden), "yyyy-MM-dd", "2024-01-05"},
        {QLocale(QLocale::Japanese, QLocale::Japan), "yyyy/MM/dd", "2024/01/05"},
        {QLocale::c(), "dd/MM/yyyy", "05/01/2024"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.locale.name()));
        EXPECT_EQ(shortDateFormat(c.locale), c.format);
        EXPECT_EQ(formatShortDate(fromQDate(day) + 0.99, c.locale), c.text);
        EXPECT_EQ(parseShortDate(c.text, c.locale), fromQDate(day));
        // Date 0 round-trips: the four-digit year keeps 1899.
        EXPECT_EQ(parseShortDate(formatShortDate(0, c.locale), c.locale), 0.0);
    }
}

TEST(ShortDate, RejectsWhatIsNoDateOfTheLocale)
{
    const QLocale fr(QLocale::French, QLocale::France);
    for (const char* text : {"", "31/02/2024", "05.01.2024", "05/01", "05/01/2024/1", "a/b/c",
                             "05/13/2024", "00/01/2024", "5/1/20245", "+5/01/2024"})
        EXPECT_EQ(parseShortDate(text, fr), std::nullopt) << text;
    EXPECT_EQ(parseShortDate(" 5/1/2024 ", fr), fromQDate(QDate(2024, 1, 5)));
    // A two-digit year is taken within fifty years of today.
    EXPECT_EQ(dateOf(*parseShortDate("05/01/24", fr)).year(), 2024);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(parseShortDate("05/01/2024", us), fromQDate(QDate(2024, 5, 1)));
}

TEST(DateTime, CountsDaysFrom30December1899)
{
    EXPECT_EQ(dateOf(0), QDate(1899, 12, 30));
    EXPECT_EQ(fromQDate(QDate(1900, 1, 1)), 2.0);
    EXPECT_EQ(fromQDate(QDate(2024, 1, 5)), 45296.0);
    EXPECT_EQ(fromQDate(QDate()), 0.0);
    EXPECT_EQ(dateOf(45296.75), QDate(2024, 1, 5));
    // Before the epoch the fraction still counts from midnight: -1.25 is 29 December, 06:00.
    EXPECT_EQ(dateOf(-1.25), QDate(1899, 12, 29));
    EXPECT_EQ(toQDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_EQ(fromQDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_EQ(fromQDateTime(QDateTime(QDate(2024, 1, 5), QTime(18, 0))), 45296.75);
    EXPECT_EQ(toQDateTime(45296.5), QDateTime(QDate(2024, 1, 5), QTime(12, 0)));
    // Values no calendar holds give the epoch instead of an invalid date.
    EXPECT_EQ(dateOf(1e300), QDate(1899, 12, 30));
    EXPECT_EQ(dateOf(std::numeric_limits<double>::quiet_NaN()), QDate(1899, 12, 30));
}

// mkdir -p: every missing part is made with the mode given; a part that is no folder,
// or that may not be made, stops it with the cause.
TEST(MakeFolders, MakesTheMissingPartsOrTellsWhyNot)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    writeBytes(root + "/file", "x");
    ASSERT_TRUE(QFile::link(root + "/nowhere", root + "/dangling"));
    ASSERT_TRUE(QDir(root).mkdir("locked"));
    ASSERT_TRUE(
        QFile::setPermissions(root + "/locked", QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    struct Case
    {
        const char* path; // under root
        int cause;
    };
    const Case cases[] = {
        {"/a/b/c", 0},
        {"/a/b/c", 0}, // there already
        {"/d//e///", 0},
        {"/file", ENOTDIR},
        {"/file/x", ENOTDIR},
        {"/dangling/x", ENOTDIR},
        {"/locked/x/y", runningAsRoot() ? 0 : EACCES},
    };
    for (const Case& c : cases) {
        const QString path = root + QString::fromLatin1(c.path);
        EXPECT_EQ(makeFolders(QFile::encodeName(path), 0700), c.cause) << c.path;
        EXPECT_EQ(QFileInfo(path).isDir(), c.cause == 0) << c.path;
    }
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(root + "/a").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(makeFolders(QByteArray("/tmp\0/x", 7), 0700), EINVAL);
    EXPECT_EQ(makeFolders("/", 0700), 0);
}

} // namespace
