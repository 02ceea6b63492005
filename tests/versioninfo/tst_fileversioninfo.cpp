#include "fileversioninfo.h"
#include "versionfixtures.h"
#include "versionnames.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace tavelorn;

namespace {

const QString kName230 = QStringLiteral("K230") + QString(226, u'x');
const QString kName231 = QStringLiteral("K231") + QString(227, u'x');

void expectNoInformation(const FileVersionInfo& info)
{
    EXPECT_FALSE(info.hasInfo());
    EXPECT_EQ(info.currentTranslation(), -1);
    EXPECT_EQ(info.translationCount(), 0);
    EXPECT_EQ(info.fileVersionNumber(), VersionNumber());
    EXPECT_EQ(info.productVersionNumber(), VersionNumber());
    EXPECT_EQ(info.fixedFileInfo().signature, 0u);
    EXPECT_EQ(info.fileOS() | info.fileType() | info.fileSubtype() | info.fileFlagsMask() |
                  info.fileFlags(),
              0u);
    EXPECT_EQ(info.languageCode(), 0);
    EXPECT_EQ(info.charSetCode(), 0);
    EXPECT_EQ(info.language(), QString());
    EXPECT_EQ(info.charSet(), QString());
    for (const QString& s :
         {info.comments(), info.companyName(), info.fileDescription(), info.fileVersion(),
          info.internalName(), info.legalCopyright(), info.legalTrademarks(),
          info.originalFileName(), info.privateBuild(), info.productName(), info.productVersion(),
          info.specialBuild(), info.stringFileInfo(QStringLiteral("OriginalFilename"))})
        EXPECT_EQ(s, QString());
}

// --- The sample, built by windres and ld for both word sizes

class SampleFile : public ::testing::TestWithParam<const char*>
{
protected:
    QString path() const { return fixture(QString::fromLatin1(GetParam())); }
};

TEST_P(SampleFile, GivesEveryProperty)
{
    const FileVersionInfo info(path());
    EXPECT_EQ(info.fileName(), path());
    ASSERT_TRUE(info.hasInfo());
    EXPECT_EQ(info.fixedFileInfo().signature, 0xFEEF04BDu);
    EXPECT_EQ(info.fileVersionNumber(), VersionNumber({1, 3, 2018, 618}));
    EXPECT_EQ(info.productVersionNumber(), VersionNumber({1, 3, 0, 0}));
    EXPECT_EQ(info.fileOS(), 0x40004u);
    EXPECT_EQ(info.fileType(), 1u);
    EXPECT_EQ(info.fileSubtype(), 0u);
    EXPECT_EQ(info.fileFlagsMask(), 0x3Fu);
    EXPECT_EQ(info.fileFlags(), 0x0Bu);

    EXPECT_EQ(info.translationCount(), 1);
    EXPECT_EQ(info.currentTranslation(), 0);
    EXPECT_EQ(info.languageCode(), 0x0409);
    EXPECT_EQ(info.charSetCode(), 1252);
    EXPECT_EQ(info.language(), QStringLiteral("English (United States)"));
    EXPECT_EQ(info.charSet(), QStringLiteral("1252  (ANSI - Latin I)"));

    EXPECT_EQ(info.comments(), QStringLiteral("Built by the test suite"));
    EXPECT_EQ(info.companyName(), QStringLiteral("Tavelorn-Tools"));
    EXPECT_EQ(info.fileDescription(), QStringLiteral("Sample program"));
    EXPECT_EQ(info.fileVersion(), QStringLiteral("1.3.2018.618"));
    EXPECT_EQ(info.internalName(), QStringLiteral("sample"));
    EXPECT_EQ(info.legalCopyright(), QStringLiteral("Copyright 2018"));
    EXPECT_EQ(info.legalTrademarks(), QStringLiteral("No trademark"));
    // Stored as "OriginalFilename" under "040904E4", asked under "040904e4".
    EXPECT_EQ(info.originalFileName(), QStringLiteral("Sample.exe"));
    EXPECT_EQ(info.privateBuild(), QStringLiteral("Private build"));
    EXPECT_EQ(info.productName(), QStringLiteral("Sample"));
    EXPECT_EQ(info.productVersion(), QStringLiteral("1.3"));
    EXPECT_EQ(info.specialBuild(), QStringLiteral("Special build"));
}

TEST_P(SampleFile, LooksNamesUpWithoutRegardToCaseAndUpTo230Characters)
{
    const FileVersionInfo info(path());
    EXPECT_EQ(info.stringFileInfo(QStringLiteral("ORIGINALFILENAME")),
              QStringLiteral("Sample.exe"));
    EXPECT_EQ(info.stringFileInfo(QStringLiteral("companyname")),
              QStringLiteral("Tavelorn-Tools"));
    EXPECT_EQ(info.stringFileInfo(kName230), QStringLiteral("230 characters"));
    EXPECT_EQ(info.stringFileInfo(kName230.toUpper()), QStringLiteral("230 characters"));
    // Longer names make no lookup, although the file has this one.
    EXPECT_EQ(info.stringFileInfo(kName231), QString());
    for (const QString& missing :
         {QString(), QStringLiteral("NoSuchKey"), QStringLiteral("OriginalFile"),
          QStringLiteral("OriginalFilenames"), QStringLiteral("040904E4\\OriginalFilename")})
        EXPECT_EQ(info.stringFileInfo(missing), QString()) << missing.toStdString();
}

TEST_P(SampleFile, TranslationOutOfRangeGivesMinusOneAndEmptyTexts)
{
    FileVersionInfo info(path());
    for (qint32 index : {1, -1, -2, 1000}) {
        info.setCurrentTranslation(index);
        EXPECT_EQ(info.currentTranslation(), -1) << index;
        EXPECT_EQ(info.originalFileName(), QString());
        EXPECT_EQ(info.companyName(), QString());
        EXPECT_EQ(info.languageCode(), 0);
        EXPECT_EQ(info.charSetCode(), 0);
        // The names of language 0 and code page 0.
        EXPECT_EQ(info.language(), QStringLiteral("Language Neutral"));
        EXPECT_EQ(info.charSet(), QStringLiteral("1252  (ANSI - Latin I)"));
        // The fixed information does not depend on a translation.
        EXPECT_EQ(info.fileVersionNumber(), VersionNumber({1, 3, 2018, 618}));
    }
    info.setCurrentTranslation(0);
    EXPECT_EQ(info.originalFileName(), QStringLiteral("Sample.exe"));
}

INSTANTIATE_TEST_SUITE_P(Pe, SampleFile, ::testing::Values("sample32.exe", "sample64.exe"));

// --- Two translations in a DLL

class TranslationsFile : public ::testing::TestWithParam<const char*>
{
};

TEST_P(TranslationsFile, EachTranslationHasItsOwnStringsLanguageAndCodePage)
{
    FileVersionInfo info(fixture(QString::fromLatin1(GetParam())));
    ASSERT_TRUE(info.hasInfo());
    EXPECT_EQ(info.fileVersionNumber(), VersionNumber({10, 20, 30, 40}));
    EXPECT_EQ(info.productVersionNumber(), VersionNumber({65535, 0, 1, 2}));
    EXPECT_EQ(info.fileType(), 2u);
    EXPECT_EQ(info.fileOS(), 4u);
    EXPECT_EQ(info.translationCount(), 2);

    EXPECT_EQ(info.currentTranslation(), 0);
    EXPECT_EQ(info.languageCode(), 0x0409);
    EXPECT_EQ(info.charSetCode(), 1200);
    EXPECT_EQ(info.language(), QStringLiteral("English (United States)"));
    EXPECT_EQ(info.charSet(), QStringLiteral("1200 (Unicode UTF-16, little endian byte order)"));
    EXPECT_EQ(info.companyName(), QStringLiteral("Tavelorn Company"));
    EXPECT_EQ(info.originalFileName(), QString());

    info.setCurrentTranslation(1);
    EXPECT_EQ(info.currentTranslation(), 1);
    EXPECT_EQ(info.languageCode(), 0x040C);
    EXPECT_EQ(info.language(), QStringLiteral("French (France)"));
    EXPECT_EQ(info.companyName(), QStringLiteral("Société Tavelorn"));
    EXPECT_EQ(info.originalFileName(), QStringLiteral("Deux.dll"));

    info.setCurrentTranslation(2);
    EXPECT_EQ(info.currentTranslation(), -1);
    EXPECT_EQ(info.companyName(), QString());
}

INSTANTIATE_TEST_SUITE_P(Pe, TranslationsFile,
                         ::testing::Values("translations32.dll", "translations64.dll"));

TEST(Translation, CodesOutsideTheTablesGiveTheFallbackTexts)
{
    QByteArray bytes = readBytes(fixture(QStringLiteral("sample64.exe")));
    const qsizetype value = nodeOffset(bytes, QStringLiteral("Translation")) + 32;
    put16(bytes, value, 0x03FF);
    put16(bytes, value + 2, 5);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeBytes(dir.filePath(QStringLiteral("codes.exe")), bytes);

    const FileVersionInfo info(dir.filePath(QStringLiteral("codes.exe")));
    EXPECT_EQ(info.languageCode(), 0x03FF);
    EXPECT_EQ(info.language(), QString());
    EXPECT_EQ(info.charSetCode(), 5);
    EXPECT_EQ(info.charSet(), QStringLiteral("5 (Unknown Code Page)"));
    // No string table has that translation's name.
    EXPECT_EQ(info.originalFileName(), QString());
}

TEST(Translation, LanguagesHaveTheNamesWindowsGivesThem)
{
    const std::pair<quint16, const char*> languages[] = {
        // Specific languages, in Windows' own wording.
        {0x0409, "English (United States)"},
        {0x2409, "English (Caribbean)"},
        {0x3C09, "English (Hong Kong SAR)"},
        {0x4C09, "English (United Arab Emirates)"},
        {0x0803, "Valencian (Spain)"},
        {0x0403, "Catalan (Catalan)"},
        {0x580A, "Spanish (Latin America)"},
        {0x0C0A, "Spanish (Spain)"},
        {0x040A, "Spanish (Spain, Traditional Sort)"},
        {0x200A, "Spanish (Bolivarian Republic of Venezuela)"},
        {0x0804, "Chinese (Simplified, PRC)"},
        {0x0C04, "Chinese (Traditional, Hong Kong S.A.R.)"},
        {0x081A, "Serbian (Latin, Serbia and Montenegro (Former))"},
        {0x241A, "Serbian (Latin, Serbia)"},
        {0x0414, "Norwegian, Bokm\u00E5l (Norway)"},
        {0x300C, "French (C\u00F4te d\u2019Ivoire)"},
        {0x0C0C, "French (Canada)"},
        {0x0807, "German (Switzerland)"},
        {0x048C, "Dari (Afghanistan)"},
        {0x105F, "Central Atlas Tamazight (Tifinagh, Morocco)"},
        // Neutral languages: the primary language alone, or with its script.
        {0x0009, "English"},
        {0x0004, "Chinese (Simplified)"},
        {0x7C04, "Chinese (Traditional)"},
        {0x7C14, "Norwegian (Bokm\u00E5l)"},
        {0x701A, "Serbian (Latin)"},
        {0x003D, "Yiddish"},
        {0x0000, "Language Neutral"},
        {0x007F, "Invariant Language (Invariant Country)"},
        // Identifiers Windows does not name: user-defined, unassigned, or the user and
        // system default languages, which stand for another identifier.
        {0x03FF, ""},
        {0x0C13, ""},
        {0x0400, ""},
        {0x0800, ""},
        {0xFFFF, ""},
    };
    for (const auto& [id, name] : languages)
        EXPECT_EQ(windowsLanguageName(id), QString::fromUtf8(name)) << std::hex << id;
}

TEST(Translation, CodePagesHaveTheirInformationNames)
{
    const std::pair<quint16, const char*> codePages[] = {
        {437, "437   (OEM - United States)"},
        {1252, "1252  (ANSI - Latin I)"},
        {65001, "65001 (UTF-8)"},
        {0, "1252  (ANSI - Latin I)"},
        {5, ""},
    };
    for (const auto& [number, name] : codePages)
        EXPECT_EQ(windowsCodePageName(number), QString::fromUtf8(name)) << number;
}

TEST(Translation, LocalesGiveTheLanguageOfTheirLanguageScriptAndTerritory)
{
    const std::pair<const char*, quint16> locales[] = {
        {"en_US", 0x0409},
        {"en_GB", 0x0809},
        {"de", 0x0407}, // its usual territory
        {"de_CH", 0x0807},
        {"fr_CA", 0x0C0C},
        {"ca_ES", 0x0403},
        {"es_ES", 0x0C0A}, // not the traditional sort
        {"es_419", 0x580A},
        {"zh_CN", 0x0804},
        {"zh_TW", 0x0404},
        {"zh_Hant_HK", 0x0C04},
        {"sr_RS", 0x281A}, // Cyrillic
        {"sr_Latn_RS", 0x241A},
        {"mn_MN", 0x0450},
        {"mn_Mong_CN", 0x0850},
        {"uz_Cyrl_UZ", 0x0843},
        {"uz_Latn_UZ", 0x0443},
        {"pa_Arab_PK", 0x0846},
        // No specific Windows language.
        {"C", 0},
        {"en_001", 0},
        {"de_BE", 0},
    };
    for (const auto& [name, id] : locales)
        EXPECT_EQ(windowsLanguageId(QLocale(QString::fromLatin1(name))), id) << name;
}

// Language 0 and code page 0, which a file without a current translation reports, have
// names as any other; a file without information has none.
TEST(Translation, WithoutACurrentTranslationTheNamesAreThoseOfCodesZero)
{
    struct Case
    {
        const char* File;
        qint32 Translation;
        const char* Language;
        const char* CharSet;
    };
    const Case cases[] = {
        {"bare32.exe", 0, "Language Neutral", "1252  (ANSI - Latin I)"},
        {"bare64.exe", 0, "Language Neutral", "1252  (ANSI - Latin I)"},
        {"sample64.exe", -1, "Language Neutral", "1252  (ANSI - Latin I)"},
        {"sample64.exe", 0, "English (United States)", "1252  (ANSI - Latin I)"},
        {"translations64.dll", 1, "French (France)",
         "1200 (Unicode UTF-16, little endian byte order)"},
        {"plain64.exe", 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        FileVersionInfo info(fixture(QString::fromLatin1(c.File)));
        info.setCurrentTranslation(c.Translation);
        EXPECT_EQ(info.language(), QString::fromUtf8(c.Language));
        EXPECT_EQ(info.charSet(), QString::fromUtf8(c.CharSet));
    }

    const FileVersionInfo bare(fixture(QStringLiteral("bare64.exe")));
    EXPECT_TRUE(bare.hasInfo());
    EXPECT_EQ(bare.translationCount(), 0);
    EXPECT_EQ(bare.currentTranslation(), -1);
    EXPECT_EQ(bare.languageCode(), 0);
    EXPECT_EQ(bare.charSetCode(), 0);
    EXPECT_EQ(bare.fileVersionNumber(), VersionNumber({2, 0, 0, 0}));
    // No translation names a string table.
    EXPECT_EQ(bare.originalFileName(), QString());
}

// --- Which version resource a PE file gives

TEST(ResourceName, OnlyTheVersionResourceNamedOneIsRead)
{
    for (const char* file : {"named32.exe", "named64.exe"}) {
        SCOPED_TRACE(file);
        expectNoInformation(FileVersionInfo(fixture(QString::fromLatin1(file))));
    }
    // The same resource named 1.
    EXPECT_EQ(FileVersionInfo(fixture(QStringLiteral("bare64.exe"))).fileVersionNumber(),
              VersionNumber({2, 0, 0, 0}));
}

// Sets the application's default locale, whose language is the user's, for one scope.
class DefaultLocale
{
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_before); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

private:
    QLocale m_before;
};

// Each fixture has its version resource in the languages of its name; the resource of
// language XXXX gives the original file name "XXXX.exe".
TEST(ResourceLanguage, NeutralThenTheUsersThenUsEnglishThenTheFirst)
{
    struct Case
    {
        const char* Fixture; // languages
        const char* UserLocale;
        const char* Taken;
    };
    const Case cases[] = {
        {"neutral", "de_DE", "0000.exe"},                                   // 0407 0000 0409 040C
        {"neutral", "en_US", "0000.exe"}, {"english", "fr_FR", "040C.exe"}, // 0407 0409 040C
        {"english", "de_DE", "0407.exe"}, {"english", "it_IT", "0409.exe"},
        {"english", "de_AT", "0409.exe"}, // the same primary language is not enough
        {"english", "eo", "0409.exe"},    // a language Windows has no identifier for
        {"others", "fr_FR", "040C.exe"},  // 0407 040C
        {"others", "it_IT", "0407.exe"},  {"others", "en_US", "0407.exe"},
        {"others", "C", "0407.exe"},
    };
    for (const char* bits : {"32", "64"}) {
        for (const Case& c : cases) {
            const QString file =
                QString::fromLatin1(c.Fixture) + QString::fromLatin1(bits) + QStringLiteral(".exe");
            SCOPED_TRACE(file.toStdString() + " for " + c.UserLocale);
            const DefaultLocale user{QLocale(QString::fromLatin1(c.UserLocale))};
            const FileVersionInfo info(fixture(file));
            ASSERT_TRUE(info.hasInfo());
            EXPECT_EQ(info.originalFileName(), QString::fromLatin1(c.Taken));
            // The translation table is the taken resource's own.
            EXPECT_EQ(info.translationCount(), 1);
            EXPECT_EQ(info.languageCode(),
                      QString::fromLatin1(c.Taken).left(4).toUShort(nullptr, 16));
        }
    }
}

// --- Files without information

TEST(NoInformation, FilesWithoutAVersionResourceOrThatCannotBeRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeBytes(dir.filePath(QStringLiteral("empty")), {});
    writeBytes(dir.filePath(QStringLiteral("text")), "MZ but nothing more\n");
    // A pipe without a writer would block an ordinary open for reading.
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    for (const QString& path :
         {fixture(QStringLiteral("plain32.exe")), fixture(QStringLiteral("plain64.exe")),
          dir.filePath(QStringLiteral("missing")), dir.path(),
          dir.filePath(QStringLiteral("empty")), dir.filePath(QStringLiteral("text")), fifo}) {
        SCOPED_TRACE(path.toStdString());
        const FileVersionInfo info(path);
        EXPECT_EQ(info.fileName(), path);
        expectNoInformation(info);
    }
}

TEST(FileName, EachAssignmentReplacesEverythingReadBefore)
{
    FileVersionInfo info(fixture(QStringLiteral("translations64.dll")));
    info.setCurrentTranslation(1);
    info.setFileName(fixture(QStringLiteral("plain64.exe")));
    expectNoInformation(info);
    // A translation chosen while there is no information does not survive a read.
    info.setCurrentTranslation(0);
    info.setFileName(fixture(QStringLiteral("sample32.exe")));
    EXPECT_EQ(info.translationCount(), 1);
    EXPECT_EQ(info.currentTranslation(), 0);
    EXPECT_EQ(info.originalFileName(), QStringLiteral("Sample.exe"));
    info.setFileName(fixture(QStringLiteral("translations32.dll")));
    EXPECT_EQ(info.translationCount(), 2);
    EXPECT_EQ(info.currentTranslation(), 0);
    EXPECT_EQ(info.companyName(), QStringLiteral("Tavelorn Company"));
}

// --- Our own ELF files

void expectTestBlock(const FileVersionInfo& info)
{
    ASSERT_TRUE(info.hasInfo());
    EXPECT_EQ(info.fileVersionNumber(), VersionNumber({4, 5, 6, 7}));
    EXPECT_EQ(info.productVersionNumber(), VersionNumber({4, 5, 6, 7}));
    EXPECT_EQ(info.fileType(), 1u);
    EXPECT_EQ(info.translationCount(), 1);
    EXPECT_EQ(info.languageCode(), 0x0409);
    EXPECT_EQ(info.charSet(), QStringLiteral("1200 (Unicode UTF-16, little endian byte order)"));
    EXPECT_EQ(info.originalFileName(), QStringLiteral("VersionTests.exe"));
    EXPECT_EQ(info.companyName(), QStringLiteral("Tavelorn-Tools"));
    EXPECT_EQ(info.productName(), QStringLiteral("Tavelorn \"tests\" C:\\dir"));
    EXPECT_EQ(info.fileVersion(), QStringLiteral("4.5.6.7"));
    EXPECT_EQ(info.productVersion(), QStringLiteral("4.5.6.7"));
}

TEST(RunningExecutable, IsReadWithoutAFileName)
{
    const FileVersionInfo info;
    EXPECT_EQ(QFileInfo(info.fileName()).canonicalFilePath(),
              QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    expectTestBlock(info);

    FileVersionInfo reread(fixture(QStringLiteral("sample64.exe")));
    reread.setFileName(QString());
    EXPECT_EQ(reread.fileName(), info.fileName());
    expectTestBlock(reread);
}

class ElfFile : public ::testing::TestWithParam<const char*>
{
};

TEST_P(ElfFile, HoldsTheBlockInItsSection)
{
    expectTestBlock(FileVersionInfo(fixture(QString::fromLatin1(GetParam()))));
}

INSTANTIATE_TEST_SUITE_P(ClassesAndByteOrders, ElfFile,
                         ::testing::Values("elf32-little.o", "elf32-big.o", "elf64-little.o",
                                           "elf64-big.o"));

#ifdef TAVELORN_EXECUTABLE
TEST(TavelornExecutable, ReportsItsVersionAndOriginalNameUnderAnyFileName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString renamed = dir.filePath(QStringLiteral("corvandel-copy"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVELORN_EXECUTABLE), renamed));

    QStringList parts = QStringLiteral(TAVELORN_VERSION).split(u'.');
    while (parts.size() < 4)
        parts << QStringLiteral("0");
    const QString version = parts.join(u'.');

    for (const QString& path : {QStringLiteral(TAVELORN_EXECUTABLE), renamed}) {
        SCOPED_TRACE(path.toStdString());
        const FileVersionInfo info(path);
        ASSERT_TRUE(info.hasInfo());
        EXPECT_EQ(info.fileVersionNumber().toString(), version);
        EXPECT_EQ(info.fileVersion(), version);
        EXPECT_EQ(info.originalFileName(), QStringLiteral("Tavelorn.exe"));
        EXPECT_EQ(info.productName(), QStringLiteral("Tavelorn"));
    }
}
#endif

// --- Damaged copies of the sample

struct Outcome
{
    bool HaveInfo;
    VersionNumber Version;
    QString OriginalFileName;
    qint32 NumTranslations;
};

struct Damage
{
    const char* Name;
    void (*Apply)(QByteArray& file);
    Outcome Expected;
};

qsizetype peHeader(const QByteArray& f)
{
    return qsizetype(get32(f, 0x3C));
}

qsizetype dataDirectories(const QByteArray& f)
{
    const qsizetype optional = peHeader(f) + 24;
    return optional + (qFromLittleEndian<quint16>(f.constData() + optional) == 0x20B ? 112 : 96);
}

const Outcome kNothing{false, {}, {}, 0};
const VersionNumber kSampleVersion{1, 3, 2018, 618};
const Outcome kIntact{true, kSampleVersion, QStringLiteral("Sample.exe"), 1};

const Damage kDamages[] = {
    {"cut inside the DOS header", [](QByteArray& f) { f.truncate(0x3C); }, kNothing},
    {"PE header placed past the end", [](QByteArray& f) { put32(f, 0x3C, 0x7FFFFFF0); }, kNothing},
    {"PE signature damaged", [](QByteArray& f) { f[peHeader(f)] = 'X'; }, kNothing},
    {"more sections than the file holds", [](QByteArray& f) { put16(f, peHeader(f) + 6, 0xFFFF); },
     kNothing},
    {"two data directories only", [](QByteArray& f) { put32(f, dataDirectories(f) - 4, 2); },
     kNothing},
    {"resource directory outside every section",
     [](QByteArray& f) { put32(f, dataDirectories(f) + 16, 0x7FFFFFF0); }, kNothing},
    {"resource directory address at the top of the address space",
     [](QByteArray& f) { put32(f, dataDirectories(f) + 16, 0xFFFFFFF8); }, kNothing},
    {"version block longer than its resource",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("VS_VERSION_INFO")), 0xFFFF); },
     kNothing},
    {"version block shorter than its header",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("VS_VERSION_INFO")), 5); },
     kNothing},
    // Windows reads what follows as ever: it never looks at the root's key, nor at the
    // fixed information's signature or the root's type (the query "\" gives the value as
    // it stands).
    {"version block of another name",
     [](QByteArray& f) { f[nodeOffset(f, QStringLiteral("VS_VERSION_INFO")) + 6 + 28] = 'P'; },
     kIntact},
    {"fixed information signature damaged",
     [](QByteArray& f) { f[nodeOffset(f, QStringLiteral("VS_VERSION_INFO")) + 40] = 0; }, kIntact},
    {"root of text type counting its value in characters",
     [](QByteArray& f) {
         const qsizetype root = nodeOffset(f, QStringLiteral("VS_VERSION_INFO"));
         put16(f, root + 2, 26);
         put16(f, root + 4, 1);
     },
     kIntact},
    // 52 characters put the children 52 bytes into the string table, where Windows finds
    // neither StringFileInfo nor VarFileInfo.
    {"root of text type",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("VS_VERSION_INFO")) + 4, 1); },
     {true, kSampleVersion, {}, 0}},
    {"fixed information longer than the block",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("VS_VERSION_INFO")) + 2, 0xFFFF); },
     {true, kSampleVersion, {}, 0}},
    {"string table name without its terminating zero",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("StringFileInfo")), 10); },
     {true, kSampleVersion, {}, 0}},
    {"string entry of length zero before the original name",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("CompanyName")), 0); },
     {true, kSampleVersion, {}, 1}},
    {"string value without its terminating zero",
     [](QByteArray& f) {
         const qsizetype at = f.indexOf(utf16(QStringLiteral("Sample.exe")));
         put16(f, at + 20, u'X');
     },
     {true, kSampleVersion, QStringLiteral("Sample.exeX"), 1}},
    // A text is read up to its zero, whatever its length or type say.
    {"string value of length zero",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("OriginalFilename")) + 2, 0); },
     kIntact},
    {"text value of type 0 counted in characters",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("OriginalFilename")) + 4, 0); },
     kIntact},
    // The table runs on past its node: the first entry stays. Windows counts a second one
    // from the bytes past the block (its own marker there); the block holds none.
    {"translation table one entry longer than its node",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("Translation")) + 2, 8); },
     kIntact},
    {"translation table longer than its node",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("Translation")) + 2, 0xFFFF); },
     kIntact},
    {"translation table shorter than one entry",
     [](QByteArray& f) { put16(f, nodeOffset(f, QStringLiteral("Translation")) + 2, 3); },
     {true, kSampleVersion, {}, 0}},
};

class DamagedCopy : public ::testing::TestWithParam<std::tuple<const char*, Damage>>
{
};

TEST_P(DamagedCopy, GivesWhatIsLeftIntactAndNothingElse)
{
    const auto& [file, damage] = GetParam();
    QByteArray bytes = readBytes(fixture(QString::fromLatin1(file)));
    damage.Apply(bytes);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("damaged.exe"));
    writeBytes(path, bytes);

    const FileVersionInfo info(path);
    const Outcome& expected = damage.Expected;
    if (!expected.HaveInfo) {
        expectNoInformation(info);
        return;
    }
    EXPECT_TRUE(info.hasInfo());
    EXPECT_EQ(info.fileVersionNumber(), expected.Version);
    EXPECT_EQ(info.originalFileName(), expected.OriginalFileName);
    EXPECT_EQ(info.translationCount(), expected.NumTranslations);
    EXPECT_EQ(info.currentTranslation(), expected.NumTranslations > 0 ? 0 : -1);
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedCopy,
                         ::testing::Combine(::testing::Values("sample32.exe", "sample64.exe"),
                                            ::testing::ValuesIn(kDamages)),
                         [](const auto& info) {
                             std::string name = std::string(std::get<0>(info.param)) + "_" +
                                                std::get<1>(info.param).Name;
                             for (char& c : name) {
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });

} // namespace
