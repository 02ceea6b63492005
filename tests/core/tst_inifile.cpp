#include "apperror.h"
#include "childprocess.h"
#include "codepage.h"
#include "inifile.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tavelorn;

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const QString& name = QStringLiteral("Config.ini")) const
    {
        return dir.filePath(name);
    }
};

TEST_F(IniFileTest, ReadsNamesWithoutCaseAndTrimmedValuesFirstWins)
{
    const IniFile ini = IniFile::fromBytes("; comment=1\n"
                                           "orphan=before any section\n"
                                           "  [ Main ]  \n"
                                           "  Key  =  some value  \n"
                                           "key=second wins not\n"
                                           "Quoted=\"kept\"\n"
                                           "Empty=\n"
                                           "no equals sign\n"
                                           ";Commented=1\n"
                                           "Eq=a=b\n"
                                           "[main]\n"
                                           "Other=in the second section\n"
                                           "[Unclosed\n"
                                           "k=v\n");
    const QString none = QStringLiteral("<none>");
    EXPECT_EQ(ini.readString("MAIN", "KEY", none), "some value");
    EXPECT_EQ(ini.readString("main", "quoted", none), "\"kept\"");
    EXPECT_EQ(ini.readString("Main", "Empty", none), "");
    EXPECT_EQ(ini.readString("Main", "Eq", none), "a=b");
    EXPECT_EQ(ini.readString("Main", "no equals sign", none), none);
    EXPECT_EQ(ini.readString("Main", ";Commented", none), none);
    EXPECT_EQ(ini.readString("Main", "Other", none), none);
    EXPECT_EQ(ini.readString("", "orphan", none), none);
    EXPECT_EQ(ini.readString("Unclosed", "k", none), "v");
    EXPECT_EQ(ini.readString("Missing", "Key", none), none);
    EXPECT_TRUE(ini.sectionExists("MAIN"));
    EXPECT_FALSE(ini.valueExists("Main", "Other"));
}

// Reads in file order find each key at once; a repeated name must still give the first.
TEST_F(IniFileTest, ReadsInFileOrderStillFindTheFirstOfTwoEqualKeys)
{
    IniFile ini = IniFile::fromBytes("[S]\nK=1\nX=2\nk=3\nY=4\n[T]\nA=1\nB=2\n");
    EXPECT_EQ(ini.readString("S", "X", {}), "2");
    EXPECT_EQ(ini.readString("S", "K", {}), "1");
    EXPECT_EQ(ini.readString("S", "Y", {}), "4");
    EXPECT_EQ(ini.readString("T", "A", {}), "1");
    EXPECT_EQ(ini.readString("T", "B", {}), "2");
    EXPECT_EQ(ini.readString("S", "X", {}), "2");
    ini.writeString("S", "K", "9");
    EXPECT_EQ(ini.toBytes(), "[S]\nK=9\nX=2\nk=3\nY=4\n[T]\nA=1\nB=2\n");
}

TEST_F(IniFileTest, ReadStringKeepsAtMost2047Characters)
{
    QString longValue;
    for (int i = 0; i < 3000; ++i)
        longValue += QChar(u'a' + i % 26);
    IniFile ini(path());
    ini.writeString("S", "Long", longValue);
    ini.writeString("S", "Exact", longValue.left(2047));
    EXPECT_EQ(ini.readString("S", "Long", {}), longValue.left(2047));
    EXPECT_EQ(ini.readString("S", "Exact", {}), longValue.left(2047));
    ini.save();
    EXPECT_EQ(IniFile(path()).readString("S", "Long", {}), longValue.left(2047));
}

TEST_F(IniFileTest, TypedValuesRoundTripAndFallBackToTheDefault)
{
    IniFile ini(path());
    ini.setLocale(QLocale(QLocale::French, QLocale::France));
    ini.writeInteger("S", "Int", -123456);
    ini.writeInteger("S", "Min", std::numeric_limits<qint32>::min());
    ini.writeBool("S", "True", true);
    ini.writeBool("S", "False", false);
    ini.writeDate("S", "Date", fromQDate(QDate(2024, 1, 5)) + 0.75);
    ini.writeDate("S", "Zero", 0);
    ini.writeString("S", "Empty", "");
    ini.writeString("S", "Two", "2");
    ini.writeString("S", "Yes", "yes");
    ini.writeString("S", "Hex", "$1F");
    ini.writeString("S", "NoDate", "2024-13-45");
    ini.save();

    const QByteArray bytes = readBytes(path());
    EXPECT_TRUE(bytes.contains("Int=-123456\n"));
    EXPECT_TRUE(bytes.contains("True=1\nFalse=0\n"));
    EXPECT_TRUE(bytes.contains("Date=05/01/2024\nZero=30/12/1899\n"));
    EXPECT_TRUE(bytes.contains("Empty=\n"));

    IniFile back(path());
    back.setLocale(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(back.readInteger("S", "Int", 0), -123456);
    EXPECT_EQ(back.readInteger("S", "Min", 0), std::numeric_limits<qint32>::min());
    EXPECT_EQ(back.readInteger("S", "Hex", 0), 31);
    EXPECT_EQ(back.readInteger("S", "Empty", 9), 9);
    EXPECT_EQ(back.readInteger("S", "Missing", 9), 9);
    EXPECT_TRUE(back.readBool("S", "True", false));
    EXPECT_TRUE(back.readBool("S", "Two", false));
    EXPECT_FALSE(back.readBool("S", "False", true));
    EXPECT_TRUE(back.readBool("S", "Yes", true));
    EXPECT_FALSE(back.readBool("S", "Yes", false));
    EXPECT_FALSE(back.readBool("S", "Empty", false));
    EXPECT_EQ(back.readDate("S", "Date", -1), fromQDate(QDate(2024, 1, 5)));
    EXPECT_EQ(back.readDate("S", "Zero", -1), 0);
    EXPECT_EQ(back.readDate("S", "NoDate", -1), -1);
    EXPECT_EQ(back.readDate("S", "Empty", -1), -1);
    EXPECT_EQ(back.readDate("S", "Missing", -1), -1);

    // Another order and separator: 05/01/2024 read as month/day is 1 May.
    IniFile us(path());
    us.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.readDate("S", "Date", -1), fromQDate(QDate(2024, 5, 1)));
    EXPECT_EQ(us.readDate("S", "Zero", -1), -1); // month 30
    IniFile de(path());
    de.setLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.readDate("S", "Date", -1), -1); // "/" is no German separator
}

TEST_F(IniFileTest, EditsInPlaceAndKeepsUntouchedLines)
{
    writeBytes(path(), "; settings\n"
                       "[First]\n"
                       "  KeyOne = old  \n"
                       "Unknown=stays\n"
                       "\n"
                       "; trailing comment\n"
                       "[Second]\n"
                       "A=1\n");
    IniFile ini(path());
    ini.writeString("first", "keyone", "new");
    ini.writeString("FIRST", "Added", "x");
    ini.writeString("Second", "B", "2");
    ini.writeString("Third", "C", "3");
    ini.writeString("Third", "D", "4");
    ini.save();
    EXPECT_EQ(readBytes(path()), "; settings\n"
                                 "[First]\n"
                                 "KeyOne=new\n"
                                 "Unknown=stays\n"
                                 "Added=x\n"
                                 "\n"
                                 "; trailing comment\n"
                                 "[Second]\n"
                                 "A=1\n"
                                 "B=2\n"
                                 "[Third]\n"
                                 "C=3\n"
                                 "D=4\n");
}

TEST_F(IniFileTest, WritesTheFirstOfTwoEqualSectionsAndKeys)
{
    writeBytes(path(), "[S]\nK=1\nK=2\n[s]\nK=3\nL=4\n");
    IniFile ini(path());
    ini.writeString("S", "K", "9");
    ini.writeString("S", "L", "5");
    ini.save();
    EXPECT_EQ(readBytes(path()), "[S]\nK=9\nK=2\nL=5\n[s]\nK=3\nL=4\n");
}

// Lines the accessor does not write keep their bytes, line ends included, whatever
// surrounds the lines it writes or inserts.
TEST_F(IniFileTest, UntouchedLinesKeepTheirBytes)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
        QByteArray expected;
    };
    const Case cases[] = {
        // Written lines end as the file's first line does.
        {"mixed line ends", "; top\r[S]\r\nA=1\n\r\n; c\r[T]\nB=2",
         "; top\r[S]\r\nA=1\nC=3\r\r\n; c\r[T]\nB=9\r[U]\rD=4\r"},
        {"a later section of the same name and its keys stay text", "[S]\nA=1\n\n[s]\nC=old\n[S]\n",
         "[S]\nA=1\nC=3\n\n[s]\nC=old\n[S]\n[T]\nB=9\n[U]\nD=4\n"},
        {"keys before the first header are no one's", "C=0\n[T]\r\n  b = 1  \r\n",
         "C=0\n[T]\r\nb=9\r\n[S]\nC=3\n[U]\nD=4\n"},
        {"a header without keys, last line without line end", "[S]",
         "[S]\nC=3\n[T]\nB=9\n[U]\nD=4\n"},
        {"blank and comment lines between keys", "[S]\n\n;x\nA=1\n;y\n\n",
         "[S]\n\n;x\nA=1\nC=3\n;y\n\n[T]\nB=9\n[U]\nD=4\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IniFile ini = IniFile::fromBytes(c.bytes);
        ini.writeString("S", "C", "3");
        ini.writeString("T", "B", "9");
        ini.writeString("U", "D", "4");
        EXPECT_EQ(ini.toBytes(), c.expected);
        const IniFile back = IniFile::fromBytes(ini.toBytes());
        EXPECT_EQ(back.readString("s", "c", {}), "3");
        EXPECT_EQ(back.readString("t", "b", {}), "9");
    }
}

// In a long section the keys are found through an index: the first of two equal names
// still wins, for reads and writes, and the others stay as they were.
TEST_F(IniFileTest, LongSectionsKeepTheFirstOfTwoEqualKeys)
{
    QByteArray bytes = "[List]\n";
    for (int i = 1; i <= 40; ++i)
        bytes += "Item_" + QByteArray::number(i % 30) + "=" + QByteArray::number(i) + "\n";
    IniFile ini = IniFile::fromBytes(bytes);
    EXPECT_EQ(ini.readString("List", "Item_5", {}), "5");
    EXPECT_EQ(ini.readString("list", "ITEM_0", {}), "30");
    ini.writeString("List", "item_5", "x");
    const QByteArray out = ini.toBytes();
    EXPECT_TRUE(out.contains("\nItem_5=x\n"));
    EXPECT_TRUE(out.contains("\nItem_5=35\n"));
    EXPECT_EQ(out.size(), bytes.size());
}

// A file over 256 MiB is refused before anything of it is read; the file stays as it was.
TEST_F(IniFileTest, RefusesAFileOver256MiB)
{
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(IniFile::kMaxFileSize + 1)); // sparse: no disk space taken
    }
    try {
        IniFile ini(path());
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Impossible d'ouvrir le fichier \"") + path() +
                                   QStringLiteral("\". Fichier trop volumineux (plus de 256 Mo)"));
    }
    EXPECT_EQ(QFileInfo(path()).size(), IniFile::kMaxFileSize + 1);
    EXPECT_THROW(IniFile::fromBytes(QByteArray(IniFile::kMaxFileSize + 1, ' ')), AppError);
}

// Names and values end at their first NUL, as the Windows profile functions read them as
// C strings: a path value cut there never loses what follows it ("x.jpg\0.bmp").
TEST_F(IniFileTest, NamesAndValuesEndAtTheirFirstNul)
{
    const QString text(u"[SystemInfo_1]\nID=ab\0cd\nSID=index.html\0x\nN=12\0 34\nE= \0\n"
                       u"[Sec\0tion]\nK\0ey = v\n"_qs);
    const std::pair<const char*, QByteArray> files[] = {{"utf-8", text.toUtf8()},
                                                        {"utf-16", utf16le(text)}};
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        IniFile ini = IniFile::fromBytes(bytes);
        EXPECT_EQ(ini.readString("SystemInfo_1", "ID", {}), "ab");
        EXPECT_EQ(ini.readString("SystemInfo_1", "SID", {}), "index.html");
        EXPECT_EQ(ini.readInteger("SystemInfo_1", "N", 0), 12);
        EXPECT_EQ(ini.readString("SystemInfo_1", "E", "d"), "");
        QString held = "old";
        ini.readStringInto("SystemInfo_1", "ID", {}, held);
        EXPECT_EQ(held, "ab");
        EXPECT_EQ(ini.readString("sec", "k", {}), "v");
        // Arguments are C strings too.
        EXPECT_EQ(ini.readString(u"Sec\0other"_qs, u"K\0x"_qs, {}), "v");
        EXPECT_TRUE(ini.sectionExists(u"SEC\0"_qs));
        ini.writeString(u"Sec\0x"_qs, u"K\0y"_qs, u"w\0tail"_qs);
        ini.writeString("Sec", "New", u"n\0tail"_qs);
        const IniFile back = IniFile::fromBytes(ini.toBytes());
        EXPECT_EQ(back.readString("Sec", "K", {}), "w");
        EXPECT_EQ(back.readString("Sec", "New", {}), "n");
        EXPECT_EQ(back.readString("SystemInfo_1", "SID", {}), "index.html");
        EXPECT_FALSE(ini.toBytes().contains("tail"));
    }
}

// Where a NUL in a line sits matters as it does to the Windows profile functions: blanks
// are trimmed from the whole line, then a name or value ends at its NUL; NUL itself is no
// blank, and a line that starts with one is neither key nor section.
TEST_F(IniFileTest, NulCutsAfterTrimmingAndIsNoBlank)
{
    struct Case
    {
        QString text;
        const char* section;
        const char* key;
        const char* expected; // nullptr: the key is not there
    };
    const Case cases[] = {
        {u"[S]\nk=\0b\n"_qs, "S", "k", ""},       {u"[S]\nk=a \0b\n"_qs, "S", "k", "a "},
        {u"[S]\nk= \0b\n"_qs, "S", "k", ""},      {u"[S]\nk=a\0b  \n"_qs, "S", "k", "a"},
        {u"[S]\n\0k=2\n"_qs, "S", "k", nullptr},  {u"[S]\n \0k=2\n"_qs, "S", "k", nullptr},
        {u"[S]\nk \0=2\n"_qs, "S", "k", nullptr}, {u"[S]\nk \0=2\n"_qs, "S", "k ", "2"},
        {u"[S]\nk\0x=2\n"_qs, "S", "k", "2"},     {u"\0[S]\nk=1\n"_qs, "S", "k", nullptr},
        {u"[U \0Y]\nk=3\n"_qs, "U ", "k", "3"},   {u"[U \0Y]\nk=3\n"_qs, "U", "k", nullptr},
        {u"[ U\0Y ]\nk=4\n"_qs, "U", "k", "4"},
    };
    for (const Case& c : cases) {
        for (const bool wide : {false, true}) {
            SCOPED_TRACE(QString(c.text).replace(QChar(0), u"\\0"_qs).toStdString() +
                         (wide ? " (utf-16)" : " (utf-8)"));
            const QByteArray bytes = wide ? utf16le(c.text) : c.text.toUtf8();
            IniFile ini = IniFile::fromBytes(bytes);
            if (c.expected) {
                EXPECT_EQ(ini.readString(c.section, c.key, "default"), c.expected);
                EXPECT_TRUE(ini.valueExists(c.section, c.key));
            } else {
                EXPECT_EQ(ini.readString(c.section, c.key, "default"), "default");
                EXPECT_FALSE(ini.valueExists(c.section, c.key));
            }
            // A write elsewhere leaves those lines as they were.
            ini.writeString("Other", "n", "1");
            EXPECT_TRUE(ini.toBytes().startsWith(bytes));
        }
    }
    // "\0[S2]" is no header: its key is the section before's.
    const IniFile ini = IniFile::fromBytes(u"[S]\n\0[S2]\nj=2\n"_qs.toUtf8());
    EXPECT_FALSE(ini.sectionExists("S2"));
    EXPECT_EQ(ini.readString("S", "j", {}), "2");
}

TEST_F(IniFileTest, SameValueAgainDoesNotRewrite)
{
    const QByteArray original = "[S]\r\nK = v \r\nN=12\r\n";
    writeBytes(path(), original);
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    IniFile ini(path());
    ini.writeString("S", "K", "v");
    ini.writeInteger("s", "n", 12);
    EXPECT_FALSE(ini.isModified());
    // Nothing to write: even a file that became a folder's name is not touched.
    QFile::remove(path());
    ini.save();
    EXPECT_FALSE(QFileInfo::exists(path()));
}

TEST_F(IniFileTest, LineBreaksInAValueCannotStartNewLines)
{
    IniFile ini(path());
    ini.writeString("S", "K", "one\r\n[Evil]\nX=1");
    ini.save();
    const IniFile back(path());
    EXPECT_EQ(back.readString("S", "K", {}), "one  [Evil] X=1");
    EXPECT_FALSE(back.sectionExists("Evil"));
}

// Files as Windows writes them: CRLF, in the ANSI code page or in UTF-16LE with BOM.
TEST_F(IniFileTest, ReadsAndRewritesWindowsFiles)
{
    const QString text = QStringLiteral("[SystemTitle]\r\nNbItems=2\r\n"
                                        "Item_1=Système € “test” Œ\r\nItem_2=naïve\r\n");
    const QString expected1 = QStringLiteral("Système € “test” Œ");

    struct Case
    {
        const char* name;
        QByteArray bytes;
        QByteArray rewrittenPrefix;
    };
    QByteArray cp1252 = QByteArray("[SystemTitle]\r\nNbItems=2\r\nItem_1=Syst\xE8me \x80 "
                                   "\x93test\x94 \x8C\r\nItem_2=na\xEFve\r\n");
    const Case cases[] = {
        {"windows-1252", cp1252, "[SystemTitle]\r\n"},
        {"utf-16le", utf16le(text), QByteArray("\xFF\xFE[\0S\0", 6)},
        {"utf-8", text.toUtf8(), "[SystemTitle]\r\n"},
        {"utf-8 bom", "\xEF\xBB\xBF" + text.toUtf8(), "\xEF\xBB\xBF[SystemTitle]\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path(), c.bytes);
        IniFile ini(path());
        EXPECT_EQ(ini.readInteger("SystemTitle", "NbItems", 0), 2);
        EXPECT_EQ(ini.readString("SystemTitle", "Item_1", {}), expected1);
        EXPECT_EQ(ini.readString("SystemTitle", "Item_2", {}), "naïve");
        ini.writeString("SystemTitle", "Item_3", "ü");
        ini.save();
        const QByteArray out = readBytes(path());
        EXPECT_TRUE(out.startsWith(c.rewrittenPrefix));
        const IniFile back(path());
        EXPECT_EQ(back.readString("SystemTitle", "Item_1", {}), expected1);
        EXPECT_EQ(back.readString("SystemTitle", "Item_3", {}), "ü");
    }
    // UTF-16 stays UTF-16LE with CRLF line ends.
    writeBytes(path(), utf16le(text));
    IniFile ini(path());
    ini.writeString("New", "K", "v");
    ini.save();
    EXPECT_EQ(readBytes(path()), utf16le(text + QStringLiteral("[New]\r\nK=v\r\n")));
}

// Config.ini as the Windows profile functions write it on machines of several languages:
// CRLF, in the machine's ANSI code page, without BOM.
struct CodePageFile
{
    int codePage;
    const char* locale;
    QByteArray bytes;
    QString item1;
    QString item2;
    QByteArray newValue; // "Item_1" of the file, encoded
};

TEST_F(IniFileTest, CodePageFilesReadInTheLocalesPageAndKeepTheirBytes)
{
    const CodePageFile files[] = {
        {1250, "pl_PL.UTF-8",
         "; Konfiguracja \xB3\xF3"
         "d\x9F"
         "\r\n[SystemTitle]\r\nNbItems=2\r\n"
         "Item_1=\xA3\xF3"
         "d\x9F\r\nItem_2=Krak\xF3w\r\n",
         u"Łódź"_qs, u"Kraków"_qs,
         "\xA3\xF3"
         "d\x9F"},
        {1251, "ru_RU.UTF-8",
         "[SystemTitle]\r\nNbItems=2\r\nItem_1=\xD2\xE5\xF1\xF2\xEE\xE2\xE0\xFF\r\n"
         "Item_2=\xCF\xF0\xE8\xE2\xE5\xF2\r\n",
         u"Тестовая"_qs, u"Привет"_qs, "\xD2\xE5\xF1\xF2\xEE\xE2\xE0\xFF"},
        // 0x81 is undefined in 1252: it reads as U+0081 and stays as it was.
        {1252, "fr_FR.UTF-8",
         "[SystemTitle]\r\nNbItems=2\r\nItem_1=Qualit\xE9 \x80\r\nItem_2=caf\xE9\x81\r\n",
         u"Qualité €"_qs, u"café\u0081"_qs, "Qualit\xE9 \x80"},
        // 0x8790 is the NEC code of a character that 0x81E0 also has, and 0x8540 has no
        // character: a rewrite through text would change or lose both.
        {932, "ja_JP.UTF-8",
         "[SystemTitle]\r\nNbItems=2\r\nItem_1=\x93\xFA\x96{\x8C\xEA \xB1\r\n"
         "Item_2=\x87\x90\x85\x40\r\n",
         u"日本語 ｱ"_qs, u"≒\uFFFD"_qs, "\x93\xFA\x96{\x8C\xEA \xB1"},
    };
    for (const CodePageFile& f : files) {
        SCOPED_TRACE(f.codePage);
        writeBytes(path(), f.bytes);
        QByteArray expected = f.bytes;
        expected.replace("NbItems=2", "NbItems=3");
        expected += "[New]\r\nK=" + f.newValue + "\r\n";

        // Under the locale of the Windows that wrote the file, and under any locale
        // with the code page forced.
        const QByteArray forced = QByteArray::number(f.codePage);
        const std::pair<const char*, const char*> settings[] = {
            {f.locale, nullptr}, {"en_US.UTF-8", forced.constData()}};
        for (const auto& [locale, codePageValue] : settings) {
            SCOPED_TRACE(locale);
            ScopedEnv lcAll("LC_ALL", locale);
            ScopedEnv codePage("TAVELORN_CODEPAGE", codePageValue);
            IniFile ini(path());
            EXPECT_EQ(ini.readString("SystemTitle", "Item_1", {}), f.item1);
            EXPECT_EQ(ini.readString("SystemTitle", "Item_2", {}), f.item2);
            ini.writeInteger("SystemTitle", "NbItems", 3);
            ini.writeString("New", "K", f.item1);
            EXPECT_EQ(ini.toBytes(), expected);
        }
    }
}

// A value the file's code page cannot hold: the file becomes UTF-16LE with BOM, its
// line ends kept, and every value reads back unchanged. Never a "?" in its place.
TEST_F(IniFileTest, AValueTheCodePageLacksTurnsTheFileIntoUtf16)
{
    const struct
    {
        const char* codePage;
        QByteArray bytes;
        QString text;
        QString value;
    } cases[] = {
        {"1252", "; caf\xE9\r\n[S]\r\nA=Syst\xE8me \x80\r\n\r\n[T]\r\nB=1\r\n",
         u"; café\r\n[S]\r\nA=Système €\r\n\r\n[T]\r\nB=1\r\n"_qs, u"Łódź"_qs},
        {"932", "[S]\nA=\x93\xFA\x96{\n", u"[S]\nA=日本\n"_qs, u"\u301C"_qs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        ScopedEnv codePage("TAVELORN_CODEPAGE", c.codePage);
        writeBytes(path(), c.bytes);
        IniFile ini(path());
        ini.writeString("S", "New", c.value);
        ini.save();
        QString text = c.text;
        const QString eol = text.contains(u'\r') ? u"\r\n"_qs : u"\n"_qs;
        text.insert(text.indexOf(eol, text.indexOf(u"A=")) + eol.size(),
                    u"New="_qs + c.value + eol);
        EXPECT_EQ(readBytes(path()), utf16le(text));

        const IniFile back(path());
        EXPECT_EQ(back.readString("S", "New", {}), c.value);
        EXPECT_EQ(back.readString("S", "A", {}),
                  IniFile::fromBytes(c.bytes).readString("S", "A", {}));
    }
}

// Code-page text can be valid UTF-8 too: a configured code page wins over the guess. A
// value whose code-page bytes would read as UTF-8 without the setting makes the file
// UTF-16, so that it reads back right either way.
TEST_F(IniFileTest, AConfiguredCodePageWinsOverValidUtf8)
{
    struct Case
    {
        const char* codePage;
        QByteArray bytes;
        QString configured; // the value read with the setting
        QString guessed;    // the value read without it, as UTF-8
    };
    const Case cases[] = {
        {"936", "[S]\r\nItem_1=ERP \xCF\xB5\xCD\xB3\r\n", u"ERP 系统"_qs, u"ERP ϵͳ"_qs},
        {"932", "[S]\r\nItem_1=\xC6\xBC\r\n", u"ﾆｼ"_qs, u"Ƽ"_qs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        writeBytes(path(), c.bytes);
        EXPECT_EQ(IniFile(path()).readString("S", "Item_1", {}), c.guessed);
        {
            ScopedEnv codePage("TAVELORN_CODEPAGE", c.codePage);
            IniFile ini(path());
            EXPECT_EQ(ini.readString("S", "Item_1", {}), c.configured);
            ini.writeString("S", "Item_2", c.configured);
            ini.save();
            EXPECT_TRUE(readBytes(path()).startsWith("\xFF\xFE"));
            const IniFile back(path());
            EXPECT_EQ(back.readString("S", "Item_1", {}), c.configured);
            EXPECT_EQ(back.readString("S", "Item_2", {}), c.configured);
        }
        const IniFile back(path());
        EXPECT_EQ(back.readString("S", "Item_2", {}), c.configured);
    }
}

// A new file is in the configured page, as Windows writes it, or UTF-8 without a setting;
// it reads back right under the setting it was made with, and without one in the
// locale of the same page.
TEST_F(IniFileTest, NewFilesAreInTheConfiguredCodePage)
{
    struct Case
    {
        const char* codePage;
        QString value;
        QByteArray bytes;
    };
    const Case cases[] = {
        {nullptr, u"Łódź"_qs,
         "[S]\nK=\xC5\x81\xC3\xB3"
         "d\xC5\xBA\n"},
        {"1250", u"Łódź"_qs,
         "[S]\nK=\xA3\xF3"
         "d\x9F\n"},
        // Its bytes CF B5 CD B3 would read as UTF-8 without the setting.
        {"936", u"系统"_qs, utf16le(u"[S]\nK=系统\n"_qs)},
        {"1252", u"Łódź"_qs, utf16le(u"[S]\nK=Łódź\n"_qs)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage ? c.codePage : "none");
        QFile::remove(path());
        ScopedEnv lcAll("LC_ALL",
                        c.codePage && c.codePage == QByteArray("1250") ? "pl_PL.UTF-8" : nullptr);
        {
            ScopedEnv codePage("TAVELORN_CODEPAGE", c.codePage);
            IniFile ini(path());
            ini.writeString("S", "K", c.value);
            ini.save();
            EXPECT_EQ(readBytes(path()), c.bytes);
            EXPECT_EQ(IniFile(path()).readString("S", "K", {}), c.value);
        }
        // Without the setting: Polish 1250 from the locale, the others by their encoding.
        EXPECT_EQ(IniFile(path()).readString("S", "K", {}), c.value);
    }
}

// cp936 cells glibc does not know (user-defined areas, FE50-FEA0, the byte FF...) keep
// their characters through a save in the code page and through a rewrite as UTF-16.
TEST_F(IniFileTest, Cp936PrivateUseCellsSurviveSaves)
{
    ScopedEnv codePage("TAVELORN_CODEPAGE", "936");
    const QByteArray cells[] = {"\xAA\xA1", "\xAF\xFE", "\xF8\xA1", "\xFE\xFE",
                                "\xA1\x40", "\xA7\xA0", "\xA2\xAB", "\xD7\xFE",
                                "\xFE\x50", "\xFE\xA0", "\xFF",     "\x80"};
    const QByteArray value = QByteArrayList(std::begin(cells), std::end(cells)).join(' ');
    writeBytes(path(), "[S]\r\nA=" + value + "\r\n");
    {
        IniFile ini(path());
        const QString text = ini.readString("S", "A", {});
        EXPECT_FALSE(text.contains(QChar(0xFFFD)));
        ini.writeString("S", "B", text);
        EXPECT_EQ(ini.toBytes(), "[S]\r\nA=" + value + "\r\nB=" + value + "\r\n");
        // A character the page lacks: the file becomes UTF-16, the cells' characters kept.
        ini.writeString("S", "C", u"\U0001F600"_qs);
        ini.save();
    }
    ASSERT_TRUE(readBytes(path()).startsWith("\xFF\xFE"));
    const IniFile back(path());
    QByteArray bytes;
    ASSERT_TRUE(CodePageCodec(936).encode(back.readString("S", "B", {}), bytes));
    EXPECT_EQ(bytes, value);
}

// The rule is for the whole file: one byte that is not UTF-8 makes every line code page.
TEST_F(IniFileTest, AFileMixingCodePageAndUtf8ReadsInTheCodePage)
{
    ScopedEnv lcAll("LC_ALL", "fr_FR.UTF-8");
    const QByteArray bytes = "[S]\r\nA=caf\xE9\r\nB=Qualit\xC3\xA9\r\n";
    IniFile ini = IniFile::fromBytes(bytes);
    EXPECT_EQ(ini.readString("S", "A", {}), "café");
    EXPECT_EQ(ini.readString("S", "B", {}), "QualitÃ©");
    ini.writeString("S", "C", "é");
    EXPECT_EQ(ini.toBytes(), bytes + "C=\xE9\r\n");
    // With its one code-page byte written over, the rest would read as UTF-8 next time.
    ini.writeString("S", "A", "cafe");
    ini.writeString("S", "C", "e");
    EXPECT_EQ(ini.toBytes(), utf16le(u"[S]\r\nA=cafe\r\nB=QualitÃ©\r\nC=e\r\n"_qs));
    // Cut short, a sequence is no UTF-8 either.
    EXPECT_EQ(IniFile::fromBytes("[S]\nB=Qualit\xC3").readString("S", "B", {}), "QualitÃ");
    // Without the stray byte the file is UTF-8, and stays so.
    IniFile utf8 = IniFile::fromBytes("[S]\nB=Qualit\xC3\xA9\n");
    EXPECT_EQ(utf8.readString("S", "B", {}), "Qualité");
    utf8.writeString("S", "C", "Łódź");
    EXPECT_EQ(utf8.toBytes(), "[S]\nB=Qualit\xC3\xA9\nC=\xC5\x81\xC3\xB3"
                              "d\xC5\xBA\n");
}

TEST_F(IniFileTest, ReadsUtf16BigEndianAndBareCarriageReturns)
{
    QByteArray be("\xFE\xFF", 2);
    for (QChar c : QStringLiteral("[S]\nK=é\n")) {
        be.append(char(c.unicode() >> 8));
        be.append(char(c.unicode() & 0xFF));
    }
    EXPECT_EQ(IniFile::fromBytes(be).readString("S", "K", {}), "é");

    writeBytes(path(), "[S]\rK=1\r");
    IniFile ini(path());
    EXPECT_EQ(ini.readInteger("S", "K", 0), 1);
    ini.writeInteger("S", "L", 2);
    ini.save();
    EXPECT_EQ(readBytes(path()), "[S]\rK=1\rL=2\r");
}

TEST_F(IniFileTest, FileWithoutFinalLineEnd)
{
    writeBytes(path(), "[S]\r\nK=1");
    IniFile ini(path());
    ini.writeInteger("T", "L", 2);
    ini.save();
    EXPECT_EQ(readBytes(path()), "[S]\r\nK=1\r\n[T]\r\nL=2\r\n");
}

TEST_F(IniFileTest, CountsNumberedMembersThatALongListCouldReach)
{
    const IniFile ini = IniFile::fromBytes("[SystemInfo_1]\n[systeminfo_7]\n[SystemInfo_07]\n"
                                           "[SystemInfo_x]\n[SystemInfo_99999999999]\n"
                                           "[List]\nItem_3=a\nItem_9=\nItem_0=\n");
    EXPECT_EQ(ini.highestNumberedSection("SystemInfo_"), 7);
    EXPECT_EQ(ini.highestNumberedKey("List", "Item_"), 9);
    EXPECT_EQ(ini.highestNumberedKey("None", "Item_"), 0);
    // A number beyond the file's line count marks no real list's last member.
    EXPECT_EQ(IniFile::fromBytes("[SystemInfo_2]\n[SystemInfo_2147483647]\n")
                  .highestNumberedSection("SystemInfo_"),
              2);
}

// Long sections are searched through an index, built part from the file and part from
// writes, which must survive the rewriting of the lines it names.
TEST_F(IniFileTest, LongSectionsKeepFindingEveryKey)
{
    QByteArray bytes = "[List]\n";
    for (int i = 1; i <= 10; ++i)
        bytes += "Item_" + QByteArray::number(i) + "=file\n";
    IniFile ini = IniFile::fromBytes(bytes);
    for (int round = 0; round < 3; ++round)
        for (int i = 1; i <= 60; i += 1 + round)
            ini.writeString("List", QStringLiteral("item_%1").arg(i), QString::number(round));
    for (int i = 1; i <= 60; ++i) {
        const QString expected = i % 3 == 1 ? "2" : (i % 2 == 1 ? "1" : "0");
        EXPECT_EQ(ini.readString("LIST", QStringLiteral("Item_%1").arg(i), {}), expected) << i;
    }
    EXPECT_EQ(ini.highestNumberedKey("list", "ITEM_"), 60);
    const IniFile back = IniFile::fromBytes(ini.toBytes());
    EXPECT_EQ(back.readString("List", "Item_3", {}), "1");
    EXPECT_EQ(back.toBytes().toLower().count("item_"), 60);
}

TEST_F(IniFileTest, CreatesAMissingFile)
{
    IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "K", "d"), "d");
    ini.writeString("S", "K", "");
    ini.save();
    EXPECT_EQ(readBytes(path()), "[S]\nK=\n");
}

// A refused write throws with the path and leaves the file and folder as they were.
TEST_F(IniFileTest, RefusedWritesThrowAndLeaveNoTrace)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    writeBytes(path("plainfile"), "not a folder");
    const QString cases[] = {
        path("missing/Config.ini"),   // missing folder
        path("folder"),               // a folder in the file's place
        path("plainfile/Config.ini"), // a file in the folder's place
        QStringLiteral("/proc/tavelorn-test/Config.ini"),
        QStringLiteral("/proc/version"), // an existing file that not even root may write
    };

    for (const QString& p : cases) {
        SCOPED_TRACE(qPrintable(p));
        IniFile ini(p);
        ini.writeString("S", "K", "v");
        try {
            ini.save();
            ADD_FAILURE() << "no error";
        } catch (const AppError& e) {
            // The message, then the cause the system gave.
            EXPECT_NE(e.cause(), 0);
            EXPECT_EQ(e.message(), QStringLiteral("Impossible d'écrire dans ") + p +
                                       QStringLiteral(". ") + systemErrorText(e.cause()));
        }
    }
    EXPECT_FALSE(QFileInfo::exists(path("missing")));
    EXPECT_EQ(readBytes(path("plainfile")), "not a folder");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
}

// A pipe is no file: reading it would wait for a writer for ever.
TEST_F(IniFileTest, APipeReadsAsAnEmptyFile)
{
    ASSERT_EQ(mkfifo(qPrintable(path()), 0600), 0);
    const IniFile ini(path());
    EXPECT_EQ(ini.lineCount(), 0);
    EXPECT_EQ(ini.readString("S", "K", "d"), "d");
}

// The file decides whether it may be written, not its folder: a read-only Config.ini is
// refused, a writable one in a folder the user may not create files in is rewritten in
// place.
TEST_F(IniFileTest, ReadOnlyFileRefusesTheWriteReadOnlyFolderDoesNot)
{
    const QString folder = path("locked");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString writable = folder + QStringLiteral("/Config.ini");
    const QString readOnly = folder + QStringLiteral("/ReadOnly.ini");
    writeBytes(writable, "[S]\nK=old\n");
    writeBytes(readOnly, "[S]\nK=old\n");
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    for (const QString& p : {dir.path(), folder, writable, readOnly})
        ASSERT_TRUE(shareWithNobody(p)) << p.toStdString();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ExeGroup | QFile::ExeOther);
    QFile::setPermissions(folder,
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);

    const ChildOutcome outcome = runInChild(asNobody(), [&] {
        std::string found;
        // The in-place rewrite keeps its rollback journal in the user's state folder.
        qputenv("XDG_STATE_HOME", QFile::encodeName(path("state")));
        IniFile ini(writable);
        ini.writeString("S", "K", "new");
        try {
            ini.save();
        } catch (const AppError&) {
            found += "the writable file was refused; ";
        }
        IniFile refused(readOnly);
        refused.writeString("S", "K", "new");
        try {
            refused.save();
            found += "the read-only file was written; ";
        } catch (const AppError& e) {
            if (e.message() != QStringLiteral("Impossible d'écrire dans ") + readOnly +
                                   QStringLiteral(". ") + systemErrorText(EACCES))
                found += "message " + e.message().toStdString();
        }
        return found;
    });
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(outcome.skipped.empty()) << outcome.skipped;
    EXPECT_EQ(outcome.failure, "");
    EXPECT_EQ(readBytes(writable), "[S]\nK=new\n");
    EXPECT_EQ(readBytes(readOnly), "[S]\nK=old\n");
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"Config.ini", "ReadOnly.ini"}));
}

// The rewrite replaces the file's content, not what the path is: a symbolic link stays
// a link and the file keeps its permissions.
TEST_F(IniFileTest, KeepsPermissionsAndSymbolicLinks)
{
    writeBytes(path("real.ini"), "[S]\nK=1\n");
    ASSERT_TRUE(QFile::link(path("real.ini"), path("link.ini")));
    {
        IniFile ini(path("link.ini"));
        ini.writeInteger("S", "K", 3);
        ini.save();
    }
    EXPECT_TRUE(QFileInfo(path("link.ini")).isSymLink());
    EXPECT_EQ(readBytes(path("real.ini")), "[S]\nK=3\n");

    writeBytes(path(), "[S]\nK=1\n");
    const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QFile::setPermissions(path(), perms);
    // Another user's file stays theirs when root saves it.
    ASSERT_TRUE(shareWithNobody(path()));
    IniFile ini(path());
    ini.writeInteger("S", "K", 2);
    ini.save();
    const auto ownerGroupOther = QFileDevice::Permissions(0xF0FF);
    EXPECT_EQ(QFile::permissions(path()) & ownerGroupOther, perms);
    struct stat st;
    ASSERT_EQ(::stat(qPrintable(path()), &st), 0);
    EXPECT_EQ(st.st_uid, runningAsRoot() ? nobodyUid() : geteuid());

    // Both names of a hard-linked file see the change.
    ASSERT_EQ(::link(qPrintable(path()), qPrintable(path("other-name.ini"))), 0);
    IniFile linked(path("other-name.ini"));
    linked.writeInteger("S", "K", 4);
    linked.save();
    EXPECT_EQ(readBytes(path()), "[S]\nK=4\n");
}

} // namespace

// Erasing a section takes its header and every line up to the next header; a later
// section of the same name, and everything else, stays as it was.
TEST(IniErase, RemovesTheFirstSectionOfTheNameWithItsLines)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
        const char* section;
        QByteArray expected;
    };
    const Case cases[] = {
        {"Middle", "[A]\nk=1\n[B]\nk=2\n; note\n\nx=3\n[C]\nk=4\n", "b", "[A]\nk=1\n[C]\nk=4\n"},
        {"Last", "[A]\nk=1\n[B]\nk=2\n", "B", "[A]\nk=1\n"},
        {"LastWithoutLineEnd", "[A]\nk=1\n[B]\nk=2", "B", "[A]\nk=1\n"},
        {"LaterTwinStays", "[A]\nk=1\n[B]\nk=2\n[B]\nk=3\n[C]\n", "B", "[A]\nk=1\n[B]\nk=3\n[C]\n"},
        {"Missing", "[A]\nk=1\n", "Z", "[A]\nk=1\n"},
        {"Crlf", "[A]\r\nk=1\r\n[B]\r\nk=2\r\n[C]\r\n", "B", "[A]\r\nk=1\r\n[C]\r\n"},
        {"Utf16", utf16le("[A]\r\nk=1\r\n[B]\r\nk=é\r\n"), "B", utf16le("[A]\r\nk=1\r\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IniFile ini = IniFile::fromBytes(c.bytes);
        ini.eraseSection(QString::fromLatin1(c.section));
        EXPECT_EQ(ini.toBytes(), c.expected);
        EXPECT_EQ(ini.readString(QString::fromLatin1(c.section), "k", "gone"), "gone");
    }

    // Keys written into the section go with it; a section written afresh comes at the end.
    IniFile ini = IniFile::fromBytes("[A]\nk=1\n[B]\nk=2\n");
    ini.writeString("B", "new", "x");
    ini.writeString("N", "k", "v");
    ini.eraseSection("B");
    ini.eraseSection("N");
    ini.writeString("B", "k", "again");
    EXPECT_EQ(ini.toBytes(), "[A]\nk=1\n[B]\nk=again\n");
}
