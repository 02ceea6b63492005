// The landscape reader over fixture files written here, and the profiles made of systems.

#include "apperror.h"
#include "landscape.h"
#include "landscapeprofile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

#include <unistd.h>

using namespace tavelorn;

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

QByteArray landscape(const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Landscape version=\"1\">\n" + body +
           "</Landscape>\n";
}

QByteArray service(const QByteArray& uuid, const QByteArray& sid, const QByteArray& name,
                   const QByteArray& type = "SAPGUI")
{
    return "<Service type=\"" + type + "\" uuid=\"" + uuid + "\" name=\"" + name +
           "\" systemid=\"" + sid + "\" mode=\"1\" server=\"host:3200\"/>\n";
}

QByteArray include(const QByteArray& url, int index)
{
    return "<Includes><Include url=\"" + url + "\" index=\"" + QByteArray::number(index) +
           "\"/></Includes>\n";
}

// A chain of n files, each including the next; the last holds one system.
std::vector<std::pair<QString, QByteArray>> chain(int n)
{
    std::vector<std::pair<QString, QByteArray>> files;
    for (int i = 0; i < n; ++i) {
        const QByteArray body = i + 1 < n
                                    ? include("c" + QByteArray::number(i + 1) + ".xml", 0)
                                    : "<Services>" + service("deep", "DEP", "Deep") + "</Services>";
        files.emplace_back(QStringLiteral("c%1.xml").arg(i), landscape(body));
    }
    return files;
}

QByteArray manyServices(int n)
{
    QByteArray body = "<Services>\n";
    body.reserve(n * 80);
    for (int i = 0; i < n; ++i)
        body += service("u" + QByteArray::number(i), "S" + QByteArray::number(i % 100), "n");
    return landscape(body + "</Services>\n");
}

struct Case
{
    const char* name;
    std::vector<std::pair<QString, QByteArray>> files; // written into a fresh folder
    QStringList read;                                  // the files given, in order
    QStringList lines;                                 // the listing; or
    QString error;                                     // a text the error holds
    qsizetype count = -1;                              // instead of lines: how many there are
};

class Reader : public ::testing::TestWithParam<Case>
{
};

TEST_P(Reader, ListsSystemsOrRefuses)
{
    const Case& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const auto& [name, bytes] : c.files) {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QFileInfo(name).path()));
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray content = bytes;
        content.replace("@DIR@", QFile::encodeName(dir.path()));
        ASSERT_EQ(f.write(content), content.size());
    }
    QStringList paths;
    for (const QString& name : c.read)
        paths.append(dir.filePath(name));
    QStringList lines;
    QString error;
    try {
        for (const LandscapeSystem& s : readLandscapes(paths))
            lines.append(landscapeListLine(s));
    } catch (const AppError& e) {
        error = e.message();
    }
    if (c.error.isEmpty()) {
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        if (c.count >= 0)
            EXPECT_EQ(lines.size(), c.count);
        else
            EXPECT_EQ(lines, c.lines);
    } else {
        EXPECT_TRUE(error.contains(c.error)) << error.toStdString();
        EXPECT_TRUE(lines.isEmpty());
    }
}

const QString kA = QStringLiteral("a.xml");

const Case kCases[] = {
    {"OtherTypesAndMissingSystemIdLeftOut",
     {{kA, landscape("<Services>\n" + service("1", "WEB", "Portal", "HTTP") +
                     "<Service type=\"SAPGUI\" uuid=\"2\" name=\"No SID\"/>\n" +
                     service("3", "DEV", "ERP dev", "sapgui") + service("4", "", "Blank") +
                     "</Services>\n")}},
     {kA},
     {QStringLiteral("DEV\tERP dev\t"), QStringLiteral("\tBlank\t")},
     {}},
    {"FirstFolderInDocumentOrder",
     {{kA, landscape(
               "<Workspaces><Workspace uuid=\"w\" name=\"Local\">\n"
               "<Node name=\"Quality\"><Node name=\"ERP\"><Item serviceid=\"{B}\"/></Node></Node>\n"
               "<Node name=\"Other\"><Item serviceid=\"{b}\"/><Item serviceid=\"{A}\"/></Node>\n"
               "</Workspace></Workspaces>\n<Services>\n" +
               service("{a}", "DEV", "Dev") + service("{B}", "QAS", "Quality") +
               service("{C}", "PRD", "Unfiled") + "</Services>\n")}},
     {kA},
     {QStringLiteral("DEV\tDev\tLocal/Other"), QStringLiteral("QAS\tQuality\tLocal/Quality/ERP"),
      QStringLiteral("PRD\tUnfiled\t")},
     {}},
    {"SameUuidOnceAcrossFiles",
     {{kA, landscape("<Services>" + service("x1", "DEV", "First") + service("X1", "QAS", "Again") +
                     "</Services>")},
      {QStringLiteral("b.xml"), landscape("<Services>" + service("x1", "PRD", "Third") +
                                          service("y", "SBX", "Sandbox") + "</Services>")}},
     {kA, QStringLiteral("b.xml")},
     {QStringLiteral("DEV\tFirst\t"), QStringLiteral("SBX\tSandbox\t")},
     {}},
    {"IncludesLocalInIndexOrder",
     {{kA, landscape("<Services>" + service("1", "DEV", "Own") +
                     "</Services>\n"
                     "<Includes><Include url=\"sub/second.xml\" index=\"1\"/>"
                     "<Include url=\"@DIR@/first.xml\" index=\"0\"/></Includes>")},
      {QStringLiteral("first.xml"),
       landscape("<Services>" + service("2", "QAS", "First") + "</Services>")},
      {QStringLiteral("sub/second.xml"),
       landscape("<Services>" + service("3", "PRD", "Second") + "</Services>")}},
     {kA},
     {QStringLiteral("DEV\tOwn\t"), QStringLiteral("QAS\tFirst\t"),
      QStringLiteral("PRD\tSecond\t")},
     {}},
    {"IncludeByFileUrl",
     {{kA, landscape(include("file://@DIR@/g%C3%A9n%C3%A9ral.xml", 0))},
      {QStringLiteral("général.xml"),
       landscape("<Services>" + service("1", "GLB", "Global") + "</Services>")}},
     {kA},
     {QStringLiteral("GLB\tGlobal\t")},
     {}},
    {"SameFileIncludedTwiceReadOnce",
     {{kA, landscape("<Includes><Include url=\"b.xml\" index=\"0\"/><Include url=\"c.xml\" "
                     "index=\"1\"/></Includes>")},
      {QStringLiteral("b.xml"), landscape(include("c.xml", 0))},
      {QStringLiteral("c.xml"),
       landscape("<Services>" + service("1", "DEV", "Shared") + "</Services>")}},
     {kA, kA},
     {QStringLiteral("DEV\tShared\t")},
     {}},
    {"IncludeMissing",
     {{kA, landscape(include("gone.xml", 0))}},
     {kA},
     {},
     QStringLiteral("a.xml: line 3: include \"gone.xml\": Impossible d'ouvrir le fichier")},
    {"IncludeCycle",
     {{kA, landscape(include("b.xml", 0))},
      {QStringLiteral("b.xml"), landscape(include("a.xml", 0))}},
     {kA},
     {},
     QStringLiteral("a.xml is being read already (an include cycle): refused")},
    {"IncludesItself",
     {{kA, landscape(include("./a.xml", 0))}},
     {kA},
     {},
     QStringLiteral("an include cycle")},
    {"IncludeDepthEightRead",
     chain(9),
     {QStringLiteral("c0.xml")},
     {QStringLiteral("DEP\tDeep\t")},
     {}},
    {"IncludeDepthNineRefused",
     chain(10),
     {QStringLiteral("c0.xml")},
     {},
     QStringLiteral("include \"c9.xml\" lies deeper than 8 includes: refused")},
    {"IncludeOverHttpRefused",
     {{kA, landscape(include("https://intranet/SAPUILandscapeGlobal.xml", 0))}},
     {kA},
     {},
     QStringLiteral("is not a local file: refused")},
    {"IncludeOnAnotherHostRefused",
     {{kA, landscape(include("file://server/share/global.xml", 0))}},
     {kA},
     {},
     QStringLiteral("include \"file://server/share/global.xml\" is not a local file")},
    {"AccentsAndCjkKept",
     {{kA, landscape("<Workspaces><Workspace name=\"Système\"><Node name=\"生産\">"
                     "<Item serviceid=\"1\"/></Node></Workspace></Workspaces><Services>" +
                     service("1", "PRD", "Comptabilité générale 会計") + "</Services>")}},
     {kA},
     {QStringLiteral("PRD\tComptabilité générale 会計\tSystème/生産")},
     {}},
    {"TabsAndLineBreaksShownAsSpaces",
     {{kA, landscape("<Services>" + service("1", "D&#9;V", "One&#9;two&#10;three&#13;") +
                     "</Services>")}},
     {kA},
     {QStringLiteral("\tOne two three \t")},
     {}},
    {"BillionLaughsRefused",
     {{kA, "<?xml version=\"1.0\"?>\n<!DOCTYPE Landscape [\n <!ENTITY a \"aaaaaaaaaa\">\n"
           " <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
           " <!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
           " <!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
           " <!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
           " <!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n"
           " <!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\n]>\n"
           "<Landscape><Services><Service type=\"SAPGUI\" systemid=\"DEV\" name=\"&g;\"/>"
           "</Services></Landscape>\n"}},
     {kA},
     {},
     QStringLiteral("a document type or entity declaration is not accepted")},
    {"ExternalEntityRefused",
     {{kA, "<?xml version=\"1.0\"?>\n<!DOCTYPE Landscape SYSTEM \"file:///etc/passwd\">\n"
           "<Landscape/>\n"}},
     {kA},
     {},
     QStringLiteral("a document type or entity declaration is not accepted")},
    {"UndeclaredEntityRefused",
     {{kA,
       landscape("<Services><Service type=\"SAPGUI\" systemid=\"DEV\" name=\"&x;\"/></Services>")}},
     {kA},
     {},
     QStringLiteral("a.xml: line 3")},
    {"HundredThousandServicesRead", {{kA, manyServices(100000)}}, {kA}, {}, {}, 100000},
    {"OneServiceMoreRefused",
     {{kA, manyServices(100001)}},
     {kA},
     {},
     QStringLiteral("more than 100000 services: refused")},
    {"TruncatedFile",
     {{kA, landscape("<Services>" + service("1", "DEV", "Dev") + "</Services>").left(90)}},
     {kA},
     {},
     QStringLiteral("Premature end of document")},
    {"NotALandscape",
     {{kA, "<?xml version=\"1.0\"?><Config/>"}},
     {kA},
     {},
     QStringLiteral("not a landscape file: its root element is \"Config\"")},
    {"MissingFile", {}, {kA}, {}, QStringLiteral("Impossible d'ouvrir le fichier")},
    {"NestingTooDeep",
     {{kA, landscape("<Workspaces><Workspace name=\"W\">" +
                     QByteArray(2000, 'x').replace("x", "<Node name=\"n\">") +
                     "</Workspace></Workspaces>")}},
     {kA},
     {},
     QStringLiteral("elements nested deeper than 1000: refused")},
};

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Reader, ::testing::ValuesIn(kCases), caseName);

TEST(ReaderLimits, FileOverSixtyFourMegabytesRefusedUnread)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.xml"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(kMaxLandscapeFileSize + 1)); // sparse: nothing to read in time
    f.close();
    try {
        (void)readLandscapes({path});
        ADD_FAILURE() << "read";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(), path + QStringLiteral(": larger than 64 MB: refused"));
    }
}

TEST(PositionMatcher, FirstListedPositionFoundAsWholeWord)
{
    const QStringList positions = {QStringLiteral("DEV"), QStringLiteral("QAS"),
                                   QStringLiteral("PRD"), QStringLiteral("Pre-Prod"),
                                   QStringLiteral(" "),   QStringLiteral("Test"),
                                   QStringLiteral("本番")};
    const PositionMatcher matcher(positions);
    const struct
    {
        QStringList texts;
        int expected;
    } cases[] = {
        {{QStringLiteral("ERP DEV")}, 0},
        {{QStringLiteral("erp-dev")}, 0},
        {{QStringLiteral("ERP_DEV")}, 0},
        {{QStringLiteral("Development")}, -1},
        {{QStringLiteral("ERPDEV")}, -1},
        {{QStringLiteral("PRD copy of DEV")}, 0}, // the list's order, not the text's
        {{QStringLiteral("Quality"), QStringLiteral(""), QStringLiteral("Local/qas")}, 1},
        {{QStringLiteral("pre-prod box")}, 3},
        {{QStringLiteral("xPre-Prod")}, -1},
        {{QStringLiteral("Pre-Prod PRD")}, 2},
        {{QStringLiteral("Testing")}, -1},
        {{QStringLiteral("a b")}, -1}, // a blank name matches nothing
        {{QStringLiteral("会計 本番")}, 6},
        {{QStringLiteral("Système de test")}, 5},
        {{QStringLiteral("")}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(matcher.find(c.texts), c.expected) << c.texts.join(u'|').toStdString();
}

TEST(LandscapeBatch, TemplateTakesSidTitleAndPosition)
{
    Profile t;
    t.id = QStringLiteral("template");
    t.systemTitle = QStringLiteral("Template title");
    t.landscapePosition = QStringLiteral("Sandbox");
    t.sid = QStringLiteral("TPL");
    t.usage1 = QStringLiteral("Kept");
    const LandscapeSystemList systems = {
        {QStringLiteral(" QAS1 "), QStringLiteral("ERP quality"), QStringLiteral("Test client"),
         QStringLiteral("Local/QAS"), QStringLiteral("1")},
        {QStringLiteral("dev"), QStringLiteral("ERP"), QStringLiteral("  "), QString(),
         QStringLiteral("2")},
        {QStringLiteral("   "), QStringLiteral("Blank"), QString(), QString(), QStringLiteral("3")},
        {QStringLiteral("P\nD"), QStringLiteral("Broken"), QString(), QString(),
         QStringLiteral("4")},
        {QStringLiteral("A B"), QStringLiteral("Spaced"), QString(), QString(),
         QStringLiteral("5")},
    };
    const QStringList positions = {QStringLiteral("DEV"), QStringLiteral("QAS")};
    for (const LandscapeTitle title : {LandscapeTitle::Name, LandscapeTitle::Description}) {
        const LandscapeBatch b = landscapeBatch(systems, t, positions, title);
        ASSERT_EQ(b.pictures.size(), 3);
        const Profile& qas = b.pictures.at(0).profile;
        EXPECT_EQ(qas.sid, QStringLiteral("QAS"));
        EXPECT_EQ(qas.systemTitle, title == LandscapeTitle::Name ? QStringLiteral("ERP quality")
                                                                 : QStringLiteral("Test client"));
        EXPECT_EQ(qas.landscapePosition, QStringLiteral("QAS"));
        EXPECT_EQ(qas.usage1, QStringLiteral("Kept"));
        EXPECT_EQ(b.pictures.at(0).label, QStringLiteral("system \"ERP quality\""));
        const Profile& dev = b.pictures.at(1).profile;
        EXPECT_EQ(dev.sid, QStringLiteral("dev"));
        EXPECT_EQ(dev.systemTitle, QStringLiteral("ERP")); // a blank description: the name
        EXPECT_EQ(dev.landscapePosition, QStringLiteral("Sandbox"));
        EXPECT_EQ(b.pictures.at(2).profile.sid, QStringLiteral("A B"));
        EXPECT_EQ(b.skipped,
                  QStringList({QStringLiteral("system \"Blank\": systemid \"   \" gives no usable "
                                              "SID: skipped"),
                               QStringLiteral("system \"Broken\": systemid \"P D\" gives no usable "
                                              "SID: skipped")}));
    }
}

} // namespace
