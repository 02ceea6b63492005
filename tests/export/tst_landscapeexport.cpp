// tavelorn-export --landscape, run for real without a display, on fixture files.

#include "datetime.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using namespace tavelorn;

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// Lists and a template profile; the last three profiles are what the window would save
// for the three systems of kLandscape, to compare with.
const char* const kConfig = R"([LandscapeType]
NbItems=3
Item_1=DEV
Item_2=QAS
Item_3=PRD
[Color]
NbItems=3
Item_1=16711680
Item_2=32768
Item_3=255
[SID]
NbItems=1
Item_1=QAS
[SystemInfo]
NbItems=@COUNT@
[SystemInfo_1]
ID=Template
BorderWidth=2
SystemTitle=Template title
LansdscapePosition=Sandbox
SID=TPL
Usage1=Managed by Basis
Usage2=Client 100
Info1=No transports on Fridays
LastRefresh=@DATE@
SourceRefresh=PRD
CommentRefresh=Monthly
@SAVED@)";

const char* const kSaved = R"([SystemInfo_2]
ID=a
BorderWidth=2
SystemTitle=ERP Développement
LansdscapePosition=DEV
SID=DEV
Usage1=Managed by Basis
Usage2=Client 100
Info1=No transports on Fridays
LastRefresh=@DATE@
SourceRefresh=PRD
CommentRefresh=Monthly
[SystemInfo_3]
ID=b
BorderWidth=2
SystemTitle=会計システム
LansdscapePosition=QAS
SID=qas
Usage1=Managed by Basis
Usage2=Client 100
Info1=No transports on Fridays
LastRefresh=@DATE@
SourceRefresh=PRD
CommentRefresh=Monthly
[SystemInfo_4]
ID=c
BorderWidth=2
SystemTitle=Payroll
LansdscapePosition=Sandbox
SID=HR1
Usage1=Managed by Basis
Usage2=Client 100
Info1=No transports on Fridays
LastRefresh=@DATE@
SourceRefresh=PRD
CommentRefresh=Monthly
)";

// The example of the README.
const char* const kLandscape = R"(<?xml version="1.0" encoding="UTF-8"?>
<Landscape version="1" generator="written by hand">
  <Workspaces>
    <Workspace uuid="w1" name="Local">
      <Node uuid="n1" name="QAS">
        <Item uuid="i1" serviceid="s2"/>
      </Node>
      <Node uuid="n2" name="ERP">
        <Item uuid="i2" serviceid="s1"/>
        <Item uuid="i3" serviceid="s2"/>
      </Node>
    </Workspace>
  </Workspaces>
  <Services>
    <Service type="SAPGUI" uuid="s1" name="ERP Développement" systemid="DEV"
             description="dev system" server="erpdev:3200"/>
    <Service type="SAPGUI" uuid="s2" name="会計システム" systemid="qas"
             description="Accounting" server="fiqas:3200"/>
    <Service type="HTTP" uuid="s9" name="Portal" url="https://portal/"/>
    <Service type="SAPGUI" uuid="s3" name="Payroll" systemid="HR1X" description="HR"
             server="hr:3200"/>
  </Services>
</Landscape>
)";

struct RunResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

class LandscapeCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        date = QDate(2024, 3, 5).toString(shortDateFormat());
        config = writeConfig(QStringLiteral("Config.ini"), false);
        landscape = dir.filePath(QStringLiteral("SAPUILandscape.xml"));
        writeFile(landscape, kLandscape);
    }

    QString writeConfig(const QString& name, bool saved)
    {
        QString text = QString::fromUtf8(kConfig);
        text.replace(QStringLiteral("@COUNT@"), saved ? QStringLiteral("4") : QStringLiteral("1"));
        text.replace(QStringLiteral("@SAVED@"), saved ? QString::fromUtf8(kSaved) : QString());
        text.replace(QStringLiteral("@DATE@"), date);
        const QString path = dir.filePath(name);
        writeFile(path, text.toUtf8());
        return path;
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    RunResult run(const QStringList& args)
    {
        QProcess proc;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("xdg")));
        proc.setProcessEnvironment(env);
        proc.setWorkingDirectory(dir.path());
        proc.start(QStringLiteral(TAVELORN_EXPORT), args);
        EXPECT_TRUE(proc.waitForFinished(120000));
        RunResult r;
        r.exitCode = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -1;
        r.out = QString::fromUtf8(proc.readAllStandardOutput());
        r.err = QString::fromUtf8(proc.readAllStandardError());
        return r;
    }

    QStringList exportArgs(const QString& out) const
    {
        return {QStringLiteral("--config"),
                config,
                QStringLiteral("--landscape"),
                landscape,
                QStringLiteral("--template"),
                QStringLiteral("Template"),
                QStringLiteral("--all"),
                QStringLiteral("--output-dir"),
                dir.filePath(out)};
    }

    QTemporaryDir dir;
    QString date;
    QString config;
    QString landscape;
};

TEST_F(LandscapeCommand, ListsSystemsInDocumentOrder)
{
    const QString second = dir.filePath(QStringLiteral("global.xml"));
    writeFile(second, "<Landscape><Services><Service type=\"SAPGUI\" uuid=\"S1\" systemid=\"PRD\" "
                      "name=\"again\"/><Service type=\"SAPGUI\" uuid=\"s7\" systemid=\"BW1\" "
                      "name=\"Warehouse\"/></Services></Landscape>");
    const RunResult r = run({QStringLiteral("--landscape"), landscape,
                             QStringLiteral("--landscape"), second, QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("DEV\tERP Développement\tLocal/ERP\n"
                                    "qas\t会計システム\tLocal/QAS\n"
                                    "HR1\tPayroll\t\n"
                                    "BW1\tWarehouse\t\n"));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

// The three pictures equal those of three saved profiles that say the same, by name and
// byte; the configuration file is only read.
TEST_F(LandscapeCommand, PicturesEqualThoseOfEquivalentSavedProfiles)
{
    const QByteArray before = readFile(config);
    const RunResult r = run(exportArgs(QStringLiteral("landscape")));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(readFile(config), before);

    const QString saved = writeConfig(QStringLiteral("Saved.ini"), true);
    // Without the template, which --all would export too.
    QString text = QString::fromUtf8(readFile(saved));
    text.replace(QStringLiteral("ID=Template"), QStringLiteral("ID="));
    writeFile(saved, text.toUtf8());
    const RunResult all =
        run({QStringLiteral("--config"), saved, QStringLiteral("--all"),
             QStringLiteral("--output-dir"), dir.filePath(QStringLiteral("all"))});
    ASSERT_EQ(all.exitCode, 0) << all.err.toStdString();

    const QStringList names = {QStringLiteral("DEV_2024_03_05.jpg"),
                               QStringLiteral("QAS_2024_03_05.jpg"),
                               QStringLiteral("HR1_2024_03_05.jpg")};
    QStringList expectedOut;
    for (const QString& name : names)
        expectedOut.append(QDir(dir.filePath(QStringLiteral("landscape"))).filePath(name));
    EXPECT_EQ(r.out, expectedOut.join(u'\n') + u'\n');
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("landscape"))).entryList(QDir::Files),
              QDir(dir.filePath(QStringLiteral("all"))).entryList(QDir::Files));
    for (const QString& name : names) {
        const QByteArray mine = readFile(dir.filePath(QStringLiteral("landscape/") + name));
        ASSERT_FALSE(mine.isEmpty()) << name.toStdString();
        EXPECT_EQ(mine, readFile(dir.filePath(QStringLiteral("all/") + name)))
            << name.toStdString();
    }
}

TEST_F(LandscapeCommand, SkipsSystemsWithoutSidAndNumbersClashes)
{
    writeFile(landscape, "<Landscape><Services>"
                         "<Service type=\"SAPGUI\" uuid=\"1\" systemid=\"DEV\" name=\"First\"/>"
                         "<Service type=\"SAPGUI\" uuid=\"2\" systemid=\"  \" name=\"Blank\"/>"
                         "<Service type=\"SAPGUI\" uuid=\"3\" systemid=\"DEV\" name=\"Second\"/>"
                         "</Services></Landscape>");
    const RunResult r = run(exportArgs(QStringLiteral("out")));
    EXPECT_EQ(r.exitCode, 4);
    const QDir out(dir.filePath(QStringLiteral("out")));
    EXPECT_EQ(r.out, out.filePath(QStringLiteral("DEV_2024_03_05.jpg")) + u'\n' +
                         out.filePath(QStringLiteral("DEV_2024_03_05_2.jpg")) + u'\n');
    EXPECT_EQ(r.err, QStringLiteral(
                         "tavelorn-export: system \"Blank\": systemid \"  \" gives no usable SID: "
                         "skipped\n"
                         "tavelorn-export: system \"Second\": DEV_2024_03_05.jpg is already taken, "
                         "written as DEV_2024_03_05_2.jpg\n"));
}

TEST_F(LandscapeCommand, LandscapeWithoutSystemsExportsNothing)
{
    writeFile(landscape, "<Landscape><Services><Service type=\"HTTP\" uuid=\"1\" name=\"Web\"/>"
                         "</Services></Landscape>");
    const RunResult r = run(exportArgs(QStringLiteral("out")));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, QStringLiteral("tavelorn-export: warning: the landscape holds no SAP GUI "
                                    "system to export\n"));
}

TEST_F(LandscapeCommand, ErrorsAndExitCodes)
{
    const QString broken = dir.filePath(QStringLiteral("broken.xml"));
    writeFile(broken, QByteArray(kLandscape).left(200));
    const QString missing = dir.filePath(QStringLiteral("missing.xml"));
    const QString L = QStringLiteral("--landscape");
    const QString all = QStringLiteral("--all");
    const QString tpl = QStringLiteral("--template");
    const struct
    {
        QStringList args;
        int exitCode;
        QString message; // the first line of standard error holds it
    } cases[] = {
        {{L, landscape}, 2, QStringLiteral("give one of --list, --profile or --all")},
        {{L, landscape, all}, 2, QStringLiteral("--landscape exports with --template and --all")},
        {{L, landscape, QStringLiteral("--list"), tpl, QStringLiteral("Template")},
         2,
         QStringLiteral("--landscape exports with --template and --all")},
        {{L, landscape, QStringLiteral("--profile"), QStringLiteral("Template")},
         2,
         QStringLiteral("--profile does not go with --landscape")},
        {{tpl, QStringLiteral("Template"), all},
         2,
         QStringLiteral("--template goes with --landscape")},
        {{QStringLiteral("--title"), QStringLiteral("name"), all},
         2,
         QStringLiteral("--title goes with --landscape")},
        {{L, landscape, tpl, QStringLiteral("Template"), all, QStringLiteral("--title"),
          QStringLiteral("sid")},
         2,
         QStringLiteral("--title takes name or description")},
        {{L, QString(), QStringLiteral("--list")}, 2, QStringLiteral("empty file name")},
        {{L, missing, QStringLiteral("--list")},
         4,
         QStringLiteral("Impossible d'ouvrir le fichier \"") + missing + u'"'},
        {{L, broken, QStringLiteral("--list")},
         4,
         broken + QStringLiteral(": line 6, column 21: Premature end of document.")},
        {{QStringLiteral("--config"), config, L, broken, tpl, QStringLiteral("Template"), all},
         4,
         QStringLiteral("Premature end of document.")},
        {{QStringLiteral("--config"), config, L, landscape, tpl, QStringLiteral("Nope"), all},
         3,
         QStringLiteral("template profile \"Nope\" not found")},
    };
    for (const auto& c : cases) {
        const RunResult r = run(c.args);
        const std::string what = c.args.join(u' ').toStdString();
        EXPECT_EQ(r.exitCode, c.exitCode) << what;
        EXPECT_TRUE(r.err.section(u'\n', 0, 0).contains(c.message))
            << what << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << what;
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("DEV_2024_03_05.jpg"))));
}

} // namespace
