// Runs the real tavelorn-export executable, without any display, on fixture files.

#include "apperror.h"
#include "applyprofile.h"
#include "configstore.h"
#include "jpegexport.h"
#include "picture.h"
#include "profilelists.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

#include <fcntl.h>
#include <pty.h>

#include <cstdlib>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavelorn;

// Failures show texts as text.
void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

const char* const kConfig = R"([SystemTitle]
NbItems=1
Item_1=SAP ERP 6.0 EHP7
[LandscapeType]
NbItems=2
Item_1=DEV
Item_2=QAS
[Color]
NbItems=3
Item_1=16711680
Item_2=32768
Item_3=255
[SID]
NbItems=2
Item_1=DEV
Item_2=QAS
[RefreshComment]
NbItems=1
Item_1=After upgrade
[SystemInfo]
NbItems=5
[SystemInfo_1]
ID=Zeta__QAS__2016_12_01
BorderWidth=2
SystemTitle=sap erp 6.0 ehp7
LansdscapePosition=QAS
SID=QAS
Usage1=  Quality  
Usage2=Client 200
PictureFullPath=@DIR@/bg.bmp
PictureCenter=1
Info1=No transports
LastRefresh=@DATE@
SourceRefresh=DEV
CommentRefresh=Weekly copy
[SystemInfo_2]
ID=Alpha__QAS__2016_12_01
SID=QAS
LansdscapePosition=Sandbox
LastRefresh=@DATE@
[SystemInfo_3]
ID=
SID=PRD
[SystemInfo_4]
ID=Broken__DEV__2024_01_05
SID=DEV
PictureFullPath=@DIR@/broken.bmp
[SystemInfo_5]
ID=Slash__A/B__2024_01_05
SID=A/B
LastRefresh=@DATE2@
)";

struct RunResult
{
    int exitCode = -1;
    QString out;
    QString err;
    QByteArray outBytes; // standard output as it came
};

class ExportCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QDate day(2016, 12, 1);
        QString text = QString::fromUtf8(kConfig);
        text.replace(QStringLiteral("@DIR@"), dir.path());
        text.replace(QStringLiteral("@DATE@"), day.toString(shortDateFormat()));
        text.replace(QStringLiteral("@DATE2@"), QDate(2024, 1, 5).toString(shortDateFormat()));
        config = dir.filePath(QStringLiteral("Config.ini"));
        writeFile(config, text.toUtf8());
        QImage bg(120, 80, QImage::Format_RGB32);
        bg.fill(qRgb(250, 200, 0));
        ASSERT_TRUE(bg.save(dir.filePath(QStringLiteral("bg.bmp")), "BMP"));
        writeFile(dir.filePath(QStringLiteral("broken.bmp")), "not a bitmap");
        QDir(dir.path()).mkdir(QStringLiteral("work"));
        work = dir.filePath(QStringLiteral("work"));
        configBytes = readFile(config);
        configTime = QFileInfo(config).lastModified();
    }

    void TearDown() override
    {
        // The command only ever reads the configuration file, and leaves nothing beside it
        // (no lock file, no journal), whatever the mode.
        EXPECT_EQ(readFile(config), configBytes);
        EXPECT_EQ(QFileInfo(config).lastModified(), configTime);
        EXPECT_EQ(QDir(dir.path())
                      .entryList({QStringLiteral(".Config.ini*")},
                                 QDir::AllEntries | QDir::Hidden | QDir::System),
                  QStringList());
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

    // prepare, when given, sets up the process further before it starts.
    RunResult run(const QStringList& args, const QProcessEnvironment& extra = {},
                  const std::function<void(QProcess&)>& prepare = {})
    {
        QProcess proc;
        if (prepare)
            prepare(proc);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("xdg")));
        env.insert(extra);
        proc.setProcessEnvironment(env);
        proc.setWorkingDirectory(work);
        proc.start(QStringLiteral(TAVELORN_EXPORT), args);
        EXPECT_TRUE(proc.waitForFinished(60000));
        RunResult r;
        r.exitCode = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -1;
        r.outBytes = proc.readAllStandardOutput();
        r.out = QString::fromLocal8Bit(r.outBytes);
        r.err = QString::fromLocal8Bit(proc.readAllStandardError());
        return r;
    }

    // What the window shows right after picking the profile, encoded.
    QByteArray expectedJpeg(const QString& id)
    {
        ConfigStore store(config);
        store.loadAll();
        const qint32 i = store.findProfile(id);
        EXPECT_GE(i, 0);
        PictureModel picture;
        ProfileLists lists = ProfileLists::scratch(store);
        applyProfileToPicture(picture, store.profiles().at(i), lists);
        QImage image;
        renderPicture(picture, image);
        return encodeJpeg(image, 100);
    }

    QTemporaryDir dir;
    QString config;
    QString work;
    QByteArray configBytes;
    QDateTime configTime;
};

} // namespace

TEST_F(ExportCommand, ListsIdentifiersInFileOrder)
{
    const RunResult r = run({QStringLiteral("--config"), config, QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Zeta__QAS__2016_12_01\nAlpha__QAS__2016_12_01\n"
                                    "Broken__DEV__2024_01_05\nSlash__A/B__2024_01_05\n"));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(ExportCommand, ProfileIsRenderedAsTheWindowShowsIt)
{
    const RunResult r = run({QStringLiteral("--config"), config, QStringLiteral("--profile"),
                             QStringLiteral("Zeta__QAS__2016_12_01")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString written = QDir(work).filePath(QStringLiteral("QAS_2016_12_01.jpg"));
    const QByteArray jpeg = readFile(written);
    EXPECT_EQ(jpeg, expectedJpeg(QStringLiteral("Zeta__QAS__2016_12_01")));
    const QImage image = QImage::fromData(jpeg, "JPEG");
    ASSERT_EQ(image.size(), QSize(450, 600));
    // The centred 120 x 80 background: (165, 275) to (285, 355).
    const QRgb bg = image.pixel(225, 315);
    EXPECT_NEAR(qRed(bg), 250, 8);
    EXPECT_NEAR(qGreen(bg), 200, 8);
    EXPECT_NEAR(qBlue(bg), 0, 8);

    // Facts of the layout, stated here rather than rendered by the library: a 2-pixel
    // black border round a white canvas, the SID and the position in the position's green
    // (0, 128, 0) at their places, the information line in red, the title in black.
    const auto near = [](QRgb p, int r, int g, int b) {
        return std::abs(qRed(p) - r) <= 40 && std::abs(qGreen(p) - g) <= 40 &&
               std::abs(qBlue(p) - b) <= 40;
    };
    const auto count = [&](const QRect& box, int r, int g, int b) {
        int n = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                n += near(image.pixel(x, y), r, g, b);
        return n;
    };
    // Thin red strokes come out pale after the encoder halves the colour resolution.
    const auto reddish = [&](const QRect& box) {
        int n = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QRgb p = image.pixel(x, y);
                n += qRed(p) > qGreen(p) + 60 && qRed(p) > qBlue(p) + 60;
            }
        return n;
    };
    for (const QPoint p : {QPoint(0, 0), QPoint(1, 300), QPoint(448, 599), QPoint(449, 10)})
        EXPECT_TRUE(near(image.pixel(p), 0, 0, 0)) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(2, 300), QPoint(447, 300), QPoint(225, 134), QPoint(400, 300)})
        EXPECT_TRUE(near(image.pixel(p), 255, 255, 255)) << p.x() << "," << p.y();
    EXPECT_GT(count({361, 40, 75, 39}, 0, 128, 0), 40) << "SID";
    EXPECT_GT(count({290, 40, 65, 39}, 0, 128, 0), 40) << "position";
    EXPECT_EQ(count({15, 10, 340, 30}, 0, 128, 0), 0) << "title";
    EXPECT_GT(count({15, 10, 340, 30}, 0, 0, 0), 40) << "title";
    EXPECT_GT(reddish({100, 490, 250, 19}), 20) << "information line";
    EXPECT_EQ(reddish({15, 10, 420, 120}), 0) << "title, SID, position and usage lines";
    EXPECT_TRUE(r.out.trimmed().endsWith(QStringLiteral("QAS_2016_12_01.jpg")));
}

TEST_F(ExportCommand, OutputGetsTheJpgExtension)
{
    const RunResult r = run({QStringLiteral("--config"), config, QStringLiteral("--profile"),
                             QStringLiteral("Alpha__QAS__2016_12_01"), QStringLiteral("--output"),
                             QStringLiteral("alpha.final.png")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(work).entryList(QDir::Files), QStringList{QStringLiteral("alpha.final.jpg")});
    // A position missing from the list takes the colour stored under its new number.
    EXPECT_EQ(readFile(QDir(work).filePath(QStringLiteral("alpha.final.jpg"))),
              expectedJpeg(QStringLiteral("Alpha__QAS__2016_12_01")));
}

// --output naming a folder, by a final "/" or because it is one, means the default name in
// it; "-" means standard output.
TEST_F(ExportCommand, OutputFolderOrStandardOutput)
{
    ASSERT_TRUE(QDir(work).mkdir(QStringLiteral("existing")));
    const QString id = QStringLiteral("Zeta__QAS__2016_12_01");
    const QByteArray expected = expectedJpeg(id);
    const struct
    {
        QString output;
        QString written; // in the working folder
    } cases[] = {
        {QStringLiteral("made/"), QStringLiteral("made/QAS_2016_12_01.jpg")},
        {QStringLiteral("existing"), QStringLiteral("existing/QAS_2016_12_01.jpg")},
        {QStringLiteral("existing/"), QStringLiteral("existing/QAS_2016_12_01.jpg")},
        {work, work + QStringLiteral("/QAS_2016_12_01.jpg")},
        {QStringLiteral("plain"), QStringLiteral("plain.jpg")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output.toStdString());
        const RunResult r = run({QStringLiteral("--config"), config, QStringLiteral("--profile"),
                                 id, QStringLiteral("--output"), c.output});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, c.written + u'\n');
        EXPECT_EQ(readFile(QDir(work).filePath(c.written)), expected);
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        QFile::remove(QDir(work).filePath(c.written));
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(work).filePath(QStringLiteral("made/.jpg"))));
    EXPECT_FALSE(QFileInfo::exists(QDir(work).filePath(QStringLiteral("existing.jpg"))));

    const QStringList before = QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const RunResult r = run({QStringLiteral("--config"), config, QStringLiteral("--profile"), id,
                             QStringLiteral("--output"), QStringLiteral("-")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.outBytes, expected);
    EXPECT_EQ(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

// "--" ends the options: the command takes no operand after it.
TEST_F(ExportCommand, DoubleDashEndsTheOptions)
{
    const RunResult listed =
        run({QStringLiteral("--config"), config, QStringLiteral("--list"), QStringLiteral("--")});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.startsWith(QStringLiteral("Zeta__QAS__2016_12_01\n")));
    const RunResult operand =
        run({QStringLiteral("--config"), config, QStringLiteral("--"), QStringLiteral("--list")});
    EXPECT_EQ(operand.exitCode, 2);
    EXPECT_TRUE(operand.err.contains(QStringLiteral("unexpected argument \"--list\"")))
        << operand.err.toStdString();
}

// A background picture that does not exist (a Windows path) is left out as the window
// leaves it out, with a warning; the status stays 0.
TEST_F(ExportCommand, MissingBackgroundPictureIsAWarning)
{
    const QString missing = QStringLiteral("C:\\Pictures\\band.bmp");
    const QString ini = dir.filePath(QStringLiteral("missing.ini"));
    writeFile(ini, "[SystemInfo]\nNbItems=2\n[SystemInfo_1]\nID=Gone\nSID=DEV\n"
                   "PictureFullPath=" +
                       missing.toUtf8() + "\n[SystemInfo_2]\nID=Here\nSID=QAS\nPictureFullPath=" +
                       dir.filePath(QStringLiteral("bg.bmp")).toUtf8() + "\n");
    const QString warning = QStringLiteral("tavelorn-export: warning: profile \"Gone\": background "
                                           "picture \"") +
                            missing +
                            QStringLiteral("\" not found; the picture is drawn without it\n");
    for (const QStringList& args :
         {QStringList{QStringLiteral("--profile"), QStringLiteral("Gone"),
                      QStringLiteral("--output"), QStringLiteral("gone.jpg")},
          QStringList{QStringLiteral("--all")}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const RunResult r = run(QStringList{QStringLiteral("--config"), ini} + args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, warning);
    }
    // The picture with a background that exists has no warning (above, in --all).
    EXPECT_TRUE(QFileInfo::exists(QDir(work).filePath(QStringLiteral("QAS_")) +
                                  QDate::currentDate().toString(QStringLiteral("yyyy_MM_dd")) +
                                  QStringLiteral(".jpg")));
}

TEST_F(ExportCommand, AllProfilesWithoutOverwritingEachOther)
{
    const QString out = dir.filePath(QStringLiteral("out/pictures"));
    const RunResult r = run({QStringLiteral("--config"), config, QStringLiteral("--all"),
                             QStringLiteral("--output-dir"), out});
    // The broken picture fails; the others are written all the same.
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Image de bitmap non valide.")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("QAS_2016_12_01_2.jpg"))) << r.err.toStdString();
    QStringList files = QDir(out).entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files,
              (QStringList{"A_B_2024_01_05.jpg", "QAS_2016_12_01.jpg", "QAS_2016_12_01_2.jpg"}));
    EXPECT_EQ(readFile(QDir(out).filePath(QStringLiteral("QAS_2016_12_01.jpg"))),
              expectedJpeg(QStringLiteral("Zeta__QAS__2016_12_01")));
    EXPECT_EQ(readFile(QDir(out).filePath(QStringLiteral("QAS_2016_12_01_2.jpg"))),
              expectedJpeg(QStringLiteral("Alpha__QAS__2016_12_01")));
}

// --all renders on several threads, yet names and reports the pictures in file order: the
// first profile here draws a large background, the second none, and both want one name.
TEST_F(ExportCommand, AllNamesAndReportsInFileOrder)
{
    QImage big(3000, 3000, QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < big.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(big.scanLine(y));
        for (int x = 0; x < big.width(); ++x)
            line[x] = (seed = seed * 1664525u + 1013904223u) >> 8;
    }
    ASSERT_TRUE(big.save(dir.filePath(QStringLiteral("big.jpg")), "JPEG", 90));
    const QString date = QDate(2016, 12, 1).toString(shortDateFormat());
    const QString ordered = dir.filePath(QStringLiteral("ordered.ini"));
    writeFile(ordered, QStringLiteral("[SystemInfo]\nNbItems=6\n"
                                      "[SystemInfo_1]\nID=Slow\nSID=DEV\nLastRefresh=%1\n"
                                      "PictureStretch=1\nPictureFullPath=%2/big.jpg\n"
                                      "[SystemInfo_2]\nID=Fast\nSID=DEV\nLastRefresh=%1\n"
                                      "[SystemInfo_3]\nID=Broken\nSID=DEV\n"
                                      "PictureFullPath=%2/broken.bmp\n"
                                      "[SystemInfo_4]\nID=NoSid\n"
                                      "[SystemInfo_5]\nID=Third\nSID=DEV\nLastRefresh=%1\n"
                                      "[SystemInfo_6]\nID=Other\nSID=QAS\nLastRefresh=%1\n")
                           .arg(date, dir.path())
                           .toUtf8());
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString expectedOut = QStringLiteral("%1/DEV_2016_12_01.jpg\n%1/DEV_2016_12_01_2.jpg\n"
                                               "%1/DEV_2016_12_01_3.jpg\n%1/QAS_2016_12_01.jpg\n")
                                    .arg(out);
    const QString expectedErr = QStringLiteral(
        "tavelorn-export: profile \"Fast\": DEV_2016_12_01.jpg is already taken, written as "
        "DEV_2016_12_01_2.jpg\n"
        "tavelorn-export: profile \"Broken\": Image de bitmap non valide.\n"
        "tavelorn-export: profile \"NoSid\" has no SID to name the file: skipped\n"
        "tavelorn-export: profile \"Third\": DEV_2016_12_01.jpg is already taken, written as "
        "DEV_2016_12_01_3.jpg\n");
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        QDir(out).removeRecursively();
        const RunResult r = run({QStringLiteral("--config"), ordered, QStringLiteral("--all"),
                                 QStringLiteral("--output-dir"), out});
        EXPECT_EQ(r.exitCode, 4);
        EXPECT_EQ(r.out, expectedOut);
        // Not a terminal: the messages and nothing else.
        EXPECT_EQ(r.err, expectedErr);
    }
    const QString savedConfig = config;
    config = ordered;
    EXPECT_EQ(readFile(out + QStringLiteral("/DEV_2016_12_01.jpg")),
              expectedJpeg(QStringLiteral("Slow")));
    EXPECT_EQ(readFile(out + QStringLiteral("/DEV_2016_12_01_3.jpg")),
              expectedJpeg(QStringLiteral("Third")));
    config = savedConfig;
}

// On a terminal, --all keeps a "done/total" line on standard error, blanked out before
// each message and at the end.
TEST_F(ExportCommand, AllShowsItsProgressOnATerminal)
{
    const QByteArray program = TAVELORN_EXPORT;
    const QByteArray configArg = config.toLocal8Bit();
    const QByteArray outDir = dir.filePath(QStringLiteral("out")).toLocal8Bit();
    const QByteArray outFile = dir.filePath(QStringLiteral("stdout.txt")).toLocal8Bit();
    const QByteArray home = "HOME=" + dir.path().toLocal8Bit();
    const char* argv[] = {
        program.constData(), "--config", configArg.constData(), "--all", "--output-dir",
        outDir.constData(),  nullptr};
    const char* envp[] = {"LC_ALL=C.UTF-8", home.constData(), nullptr};
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int fd = ::open(outFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0)
            _exit(126);
        ::execve(argv[0], const_cast<char**>(argv), const_cast<char**>(envp));
        _exit(127);
    }
    QByteArray shown;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n <= 0)
            break; // EIO once the command has ended
        shown.append(buffer, n);
    }
    ::close(terminal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 4);
    const QString text = QString::fromLocal8Bit(shown);
    EXPECT_TRUE(text.contains(QStringLiteral("tavelorn-export: 1/4\r"))) << shown.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("tavelorn-export: 4/4\r"))) << shown.toStdString();
    // Each message starts on a blanked line.
    EXPECT_TRUE(text.contains(QStringLiteral("                    \rtavelorn-export: profile "
                                             "\"Broken__DEV__2024_01_05\"")))
        << shown.toStdString();
    // Nothing is left of the line at the end.
    EXPECT_TRUE(text.endsWith(QStringLiteral("    \r"))) << shown.toStdString();
    // Standard output, not a terminal, holds the paths alone.
    QFile paths(QString::fromLocal8Bit(outFile));
    ASSERT_TRUE(paths.open(QIODevice::ReadOnly));
    EXPECT_EQ(paths.readAll().count('\n'), 3);
}

TEST_F(ExportCommand, PlaceMarkersInTheSidStayText)
{
    const QString markers = dir.filePath(QStringLiteral("markers.ini"));
    const QByteArray date = QDate(2024, 1, 5).toString(shortDateFormat()).toUtf8();
    writeFile(markers, "[SystemInfo]\nNbItems=2\n[SystemInfo_1]\nID=One\nSID=Q%1\nLastRefresh=" +
                           date + "\n[SystemInfo_2]\nID=Two\nSID=Q%1\nLastRefresh=" + date + "\n");
    const RunResult r = run({QStringLiteral("--config"), markers, QStringLiteral("--all")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QStringList files = QDir(work).entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files, (QStringList{"Q%1_2024_01_05.jpg", "Q%1_2024_01_05_2.jpg"}));
}

// A NUL ends a value: a SID "index.html\0x" names no existing file of the output folder,
// and an identifier "ab\0cd" lists as "ab" on its own line.
TEST_F(ExportCommand, ValuesEndAtTheirFirstNul)
{
    const QString nul = dir.filePath(QStringLiteral("nul.ini"));
    const QByteArray date = QDate(2024, 1, 1).toString(shortDateFormat()).toUtf8();
    QByteArray bytes =
        "[SystemInfo]\nNbItems=2\n[SystemInfo_1]\nID=c__d__2024_01_01\nSID=index.html";
    bytes += '\0';
    bytes += "x\nLastRefresh=" + date + "\n[SystemInfo_2]\nID=ab";
    bytes += '\0';
    bytes += "cd\nSID=Q\n";
    writeFile(nul, bytes);
    writeFile(QDir(work).filePath(QStringLiteral("index.html")), "<html/>");
    const RunResult list = run({QStringLiteral("--config"), nul, QStringLiteral("--list")});
    EXPECT_EQ(list.out, QStringLiteral("c__d__2024_01_01\nab\n"));
    run({QStringLiteral("--config"), nul, QStringLiteral("--all")});
    EXPECT_EQ(readFile(QDir(work).filePath(QStringLiteral("index.html"))), "<html/>");
    QStringList files = QDir(work).entryList(QDir::Files);
    EXPECT_TRUE(files.removeOne(QStringLiteral("index.html")));
    EXPECT_EQ(files.size(), 2) << files.join(u' ').toStdString();
    for (const QString& f : files)
        EXPECT_TRUE(f.endsWith(QStringLiteral(".jpg"))) << f.toStdString();
}

TEST_F(ExportCommand, ExitCodesAndMessages)
{
    struct Case
    {
        QStringList args;
        int exitCode;
        QString err; // part of standard error
    };
    const QString missing = dir.filePath(QStringLiteral("nothing.ini"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.jpg")));
    const QString huge = dir.filePath(QStringLiteral("huge.ini"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize((qint64(256) << 20) + 1)); // sparse: no disk space taken
    }
    const Case cases[] = {
        {{}, 2, "Usage:"},
        {{"--list", "--all"}, 2, "Usage:"},
        {{"--output", "x.jpg", "--list"}, 2, "--output goes with --profile"},
        {{"--profile"}, 2, "--profile needs a value"},
        {{"--frobnicate"}, 2, "unknown option --frobnicate"},
        {{"stray"}, 2, "Usage:"},
        {{"--config", config, "--profile", "zeta__qas__2016_12_01"}, 3, "not found"},
        {{"--config", config, "--profile", "Broken__DEV__2024_01_05"},
         4,
         "Image de bitmap non valide."},
        {{"--config", missing, "--list"},
         4,
         QStringLiteral("Impossible d'ouvrir le fichier \"%1\".").arg(missing)},
        {{"--config", huge, "--list"},
         4,
         QStringLiteral("Impossible d'ouvrir le fichier \"%1\". Fichier trop volumineux")
             .arg(huge)},
        {{"--config", config, "--profile", "Alpha__QAS__2016_12_01", "--output",
          dir.filePath("folder")},
         4,
         QStringLiteral("Impossible de créer le fichier \"%1\".").arg(dir.filePath("folder.jpg"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const RunResult r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    EXPECT_TRUE(QDir(work).isEmpty());
}

// Files that exist but cannot be read or written as files report their real cause.
TEST_F(ExportCommand, InputsAndOutputsThatAreNoFilesAreReported)
{
    const QString pipe = dir.filePath(QStringLiteral("pipe.ini"));
    const QString picturePipe = dir.filePath(QStringLiteral("pipe.bmp"));
    ASSERT_EQ(mkfifo(qPrintable(pipe), 0600), 0);
    ASSERT_EQ(mkfifo(qPrintable(picturePipe), 0600), 0);
    const QString pipePicture = dir.filePath(QStringLiteral("pipe-picture.ini"));
    writeFile(pipePicture, "[SystemInfo]\nNbItems=1\n[SystemInfo_1]\nID=Pipe\nSID=DEV\n"
                           "PictureFullPath=" +
                               picturePipe.toUtf8() + "\n");
    const QString loop = dir.filePath(QStringLiteral("loop1.jpg"));
    ASSERT_TRUE(QFile::link(QStringLiteral("loop2.jpg"), loop));
    ASSERT_TRUE(
        QFile::link(QStringLiteral("loop1.jpg"), dir.filePath(QStringLiteral("loop2.jpg"))));
    const QString open = QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2.");
    const QString notAFile = systemErrorText(kErrNotRegularFile);
    struct Case
    {
        QStringList args;
        QString err;
    };
    const Case cases[] = {
        {{"--config", pipe, "--list"}, open.arg(pipe, notAFile)},
        {{"--config", "/dev/zero", "--list"}, open.arg("/dev/zero", notAFile)},
        {{"--config", dir.path(), "--list"}, open.arg(dir.path(), systemErrorText(EISDIR))},
        {{"--config", pipePicture, "--profile", "Pipe", "--output", "x.jpg"},
         open.arg(picturePipe, notAFile)},
        {{"--config", pipePicture, "--all"}, open.arg(picturePipe, notAFile)},
        {{"--config", config, "--profile", "Alpha__QAS__2016_12_01", "--output", loop},
         QStringLiteral("Impossible de créer le fichier \"%1\". %2.")
             .arg(loop, systemErrorText(ELOOP))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const RunResult r = run(c.args);
        EXPECT_EQ(r.exitCode, 4);
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    EXPECT_TRUE(QFileInfo(loop).isSymLink());
    EXPECT_TRUE(QDir(work).isEmpty());
}

// Exporting into a folder that refuses new files, on a full disk: the previous picture
// stays byte for byte and the message names the real cause.
TEST_F(ExportCommand, FullDiskKeepsThePreviousPicture)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small file system";
    QImage noise(450, 350, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            noise.setPixel(x, y, seed >> 8);
        }
    ASSERT_TRUE(noise.save(dir.filePath(QStringLiteral("noise.bmp")), "BMP"));
    const QString pictures = dir.filePath(QStringLiteral("pictures.ini"));
    writeFile(pictures, "[SystemInfo]\nNbItems=2\n[SystemInfo_1]\nID=Small\nSID=DEV\n"
                        "[SystemInfo_2]\nID=Big\nSID=DEV\nPictureStretch=1\nPictureFullPath=" +
                            dir.filePath(QStringLiteral("noise.bmp")).toUtf8() + "\n");
    const QString old = dir.filePath(QStringLiteral("old.jpg"));
    ASSERT_EQ(run({"--config", pictures, "--profile", "Small", "--output", old}).exitCode, 0);
    QFile::setPermissions(dir.path(),
                          QFile::permissions(dir.path()) | QFile::ReadOther | QFile::ExeOther);
    const QString disk = dir.filePath(QStringLiteral("disk"));
    ASSERT_TRUE(QDir().mkdir(disk));

    // The mount lives in a namespace of its own and goes with the shell.
    const char* script = R"(
        mount --make-rprivate / && mount -t tmpfs -o size=1m,mode=0777 tmpfs "$1" || exit 77
        cp "$2" "$1/dev.jpg" && chown nobody "$1/dev.jpg"
        head -c $(($(stat -f -c '%a * %S' "$1"))) /dev/zero >"$1/filler" 2>/dev/null
        chmod 0555 "$1"
        setpriv --reuid=nobody --regid=nogroup --clear-groups \
            "$3" --config "$4" --profile Big --output "$1/dev.jpg"
        echo "exit $?"
        cmp -s "$2" "$1/dev.jpg" && echo same
        ls -A "$1")";
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    proc.setProcessEnvironment(env);
    proc.start(QStringLiteral("unshare"), {"-m", "sh", "-c", script, "sh", disk, old,
                                           QStringLiteral(TAVELORN_EXPORT), pictures});
    ASSERT_TRUE(proc.waitForFinished(60000));
    if (proc.exitCode() == 77)
        GTEST_SKIP() << "cannot mount a small file system here";
    const QString out = QString::fromLocal8Bit(proc.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(proc.readAllStandardError());
    EXPECT_EQ(out.toStdString(), "exit 4\nsame\ndev.jpg\nfiller\n") << err.toStdString();
    // The folder refuses the new file, and the rollback journal that rewriting the old one
    // in place would need: the message says so, not "Permission denied".
    EXPECT_TRUE(err.contains(QStringLiteral("Impossible de créer le fichier \"%1/dev.jpg\". %2.")
                                 .arg(disk, systemErrorText(kErrNoJournalPlace))))
        << err.toStdString();
}

TEST_F(ExportCommand, HelpAndVersion)
{
    const RunResult help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: tavelorn-export")));
    const RunResult version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("tavelorn-export " TAVELORN_VERSION "\n"));
}

TEST_F(ExportCommand, DefaultConfigurationFile)
{
    // Missing: no profiles, and no folder is created for it.
    const RunResult empty = run({QStringLiteral("--list")});
    EXPECT_EQ(empty.exitCode, 0) << empty.err.toStdString();
    EXPECT_TRUE(empty.out.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("xdg"))));

    // --all has nothing to export: not found, and no output folder either.
    const QString out = dir.filePath(QStringLiteral("out"));
    for (const QStringList& args :
         {QStringList{"--all"}, QStringList{"--all", "--output-dir", out}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const RunResult all = run(args);
        EXPECT_EQ(all.exitCode, 3);
        EXPECT_EQ(all.err, QStringLiteral("tavelorn-export: configuration file \"%1\" not found: "
                                          "nothing to export (give --config)\n")
                               .arg(dir.filePath("xdg/Tavelorn-Tools/Tavelorn/Config.ini")));
        EXPECT_TRUE(all.out.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("xdg"))));
    }
    EXPECT_TRUE(QDir(work).isEmpty());

    const QString folder = dir.filePath(QStringLiteral("xdg/Tavelorn-Tools/Tavelorn"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(config, folder + QStringLiteral("/Config.ini")));
    const RunResult r = run({QStringLiteral("--list")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Zeta__QAS__2016_12_01\n")));
    // Found there, --all exports (all but the broken picture).
    const RunResult all = run({QStringLiteral("--all"), QStringLiteral("--output-dir"), out});
    EXPECT_EQ(all.exitCode, 4);
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 3) << all.err.toStdString();
}

// A Config.ini from a Polish Windows, in code page 1250: its identifiers as written.
TEST_F(ExportCommand, ReadsTheCodePageOfTheLocale)
{
    const QString polish = dir.filePath(QStringLiteral("pl.ini"));
    writeFile(polish, "[SystemInfo]\r\nNbItems=1\r\n[SystemInfo_1]\r\n"
                      "ID=\xA3\xF3"
                      "d\x9F__DEV__2024_01_05\r\nSID=DEV\r\n");
    QProcessEnvironment env;
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("pl_PL.UTF-8"));
    const QString id = QStringLiteral("Łódź__DEV__2024_01_05");
    const RunResult list = run({QStringLiteral("--config"), polish, QStringLiteral("--list")}, env);
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_EQ(list.out, id + u'\n');
    const RunResult one = run({QStringLiteral("--config"), polish, QStringLiteral("--profile"), id,
                               QStringLiteral("--output"), QStringLiteral("out.jpg")},
                              env);
    EXPECT_EQ(one.exitCode, 0) << one.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(work).filePath(QStringLiteral("out.jpg"))));
}

// --output and --output-dir both make the folders they lack, and both refuse a path that
// runs through a file, naming the folder.
TEST_F(ExportCommand, OutputFoldersAreMadeAlike)
{
    const QString one = dir.filePath(QStringLiteral("made/for/one/alpha"));
    const QString all = dir.filePath(QStringLiteral("made/for/all"));
    const RunResult r1 =
        run({"--config", config, "--profile", "Alpha__QAS__2016_12_01", "--output", one});
    EXPECT_EQ(r1.exitCode, 0) << r1.err.toStdString();
    EXPECT_EQ(r1.out, one + QStringLiteral(".jpg\n"));
    EXPECT_EQ(readFile(one + QStringLiteral(".jpg")),
              expectedJpeg(QStringLiteral("Alpha__QAS__2016_12_01")));
    const RunResult r2 = run({"--config", config, "--all", "--output-dir", all});
    EXPECT_EQ(r2.exitCode, 4); // the broken picture
    EXPECT_EQ(QDir(all).entryList(QDir::Files).size(), 3) << r2.err.toStdString();

    struct Case
    {
        QStringList args;
        QString folder; // named in the message
    };
    const QString file = dir.filePath(QStringLiteral("bg.bmp"));
    const Case cases[] = {
        {{"--config", config, "--profile", "Alpha__QAS__2016_12_01", "--output",
          file + QStringLiteral("/sub/x.jpg")},
         file + QStringLiteral("/sub")},
        {{"--config", config, "--all", "--output-dir", file + QStringLiteral("/sub")},
         file + QStringLiteral("/sub")},
        {{"--config", config, "--all", "--output-dir", file}, file},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const RunResult r = run(c.args);
        EXPECT_EQ(r.exitCode, 4);
        EXPECT_EQ(r.err, QStringLiteral("tavelorn-export: Impossible de créer le dossier \"%1\". "
                                        "%2.\n")
                             .arg(c.folder, systemErrorText(ENOTDIR)));
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}

// Dates are read in the locale's short format. One written in another order renders
// without a refresh line, as the window shows it, and a warning says why.
TEST_F(ExportCommand, RefreshDatesThatAreNoDateInTheLocaleAreReported)
{
    const QString dates = dir.filePath(QStringLiteral("dates.ini"));
    writeFile(dates, "[SystemInfo]\nNbItems=6\n"
                     "[SystemInfo_1]\nID=British\nSID=DEV\nLastRefresh=13/03/2024\n"
                     "[SystemInfo_2]\nID=American\nSID=QAS\nLastRefresh=3/13/2024\n"
                     "[SystemInfo_3]\nID=\nSID=PRD\nLastRefresh=31/12/2024\n"
                     "[SystemInfo_4]\nID=NoRefreshLine\nSID=PRD\nLastRefresh=12/30/1899\n"
                     "[SystemInfo_5]\nID=Blank\nSID=BLK\nLastRefresh=\n"
                     "[SystemInfo_6]\nID=Words\nSID=SBX\nLastRefresh=  last week \n");
    QProcessEnvironment us;
    us.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    const QString warning = QStringLiteral(
        "tavelorn-export: warning: profile \"%1\": LastRefresh \"%2\" is not a date in this "
        "locale's short format (M/d/yyyy); the refresh line is left out\n");

    const QString out = dir.filePath(QStringLiteral("out"));
    const RunResult all = run({"--config", dates, "--all", "--output-dir", out}, us);
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(all.err, warning.arg("British", "13/03/2024") + warning.arg("Words", "last week"));
    EXPECT_TRUE(all.out.contains(QStringLiteral("/QAS_2024_03_13.jpg\n")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 5);

    // The picture is that of the profile without a refresh date.
    const QString undated = dir.filePath(QStringLiteral("undated.ini"));
    writeFile(undated, "[SystemInfo]\nNbItems=1\n[SystemInfo_1]\nID=British\nSID=DEV\n");
    const QString british = dir.filePath(QStringLiteral("british.jpg"));
    const QString control = dir.filePath(QStringLiteral("control.jpg"));
    const RunResult one = run({"--config", dates, "--profile", "British", "--output", british}, us);
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_EQ(one.err, warning.arg("British", "13/03/2024"));
    const RunResult without =
        run({"--config", undated, "--profile", "British", "--output", control}, us);
    EXPECT_TRUE(without.err.isEmpty()) << without.err.toStdString();
    EXPECT_EQ(readFile(british), readFile(control));
    EXPECT_FALSE(readFile(british).isEmpty());

    // The same file under a day-first locale: the other profile is the odd one.
    QProcessEnvironment gb;
    gb.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8"));
    const RunResult american =
        run({"--config", dates, "--profile", "American", "--output", british}, gb);
    EXPECT_EQ(american.exitCode, 0);
    EXPECT_EQ(american.err, QString(warning)
                                .replace(QStringLiteral("M/d/yyyy"), QStringLiteral("dd/MM/yyyy"))
                                .arg("American", "3/13/2024"));

    // Listing draws nothing and has nothing to warn about.
    const RunResult list = run({"--config", dates, "--list"}, us);
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.err.isEmpty()) << list.err.toStdString();
}

// Output that cannot be written is a failure, never a silent success.
TEST_F(ExportCommand, LostOutputFails)
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    const QString full = QStringLiteral("/dev/full");
    const QString lostOut = QStringLiteral("tavelorn-export: cannot write to standard output: ") +
                            systemErrorText(ENOSPC) + u'\n';
    struct Case
    {
        QStringList args;
        bool toStandardError; // else standard output is full
        QString err;          // all of standard error, unless the full one
    };
    const QString dated = dir.filePath(QStringLiteral("dated.ini"));
    writeFile(dated, "[SystemInfo]\nNbItems=1\n[SystemInfo_1]\nID=Odd\nSID=DEV\n"
                     "LastRefresh=not a date\n");
    const Case cases[] = {
        {{"--config", config, "--list"}, false, lostOut},
        {{"--help"}, false, lostOut},
        {{"--version"}, false, lostOut},
        {{"--config", config, "--profile", "Alpha__QAS__2016_12_01", "--output", "a.jpg"},
         false,
         lostOut},
        {{"--config", config, "--profile", "Alpha__QAS__2016_12_01", "--output", "-"},
         false,
         lostOut},
        {{"--config", dated, "--all"},
         false,
         QStringLiteral("tavelorn-export: warning: profile \"Odd\": LastRefresh \"not a date\" is "
                        "not a date in this locale's short format (") +
             shortDateFormat() + QStringLiteral("); the refresh line is left out\n") + lostOut},
        // The warning is lost, though the picture is written.
        {{"--config", dated, "--profile", "Odd", "--output", "odd.jpg"}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const RunResult r = run(c.args, {}, [&](QProcess& proc) {
            if (c.toStandardError)
                proc.setStandardErrorFile(full);
            else
                proc.setStandardOutputFile(full);
        });
        EXPECT_EQ(r.exitCode, 4);
        if (!c.toStandardError) {
            EXPECT_EQ(r.err, c.err);
        }
        // The same to a working output succeeds: the fault is the lost output alone.
        const RunResult control = run(c.args);
        EXPECT_EQ(control.exitCode, 0) << control.err.toStdString();
    }
}

// Address space limits do not apply under AddressSanitizer, which reserves far more.
// g++ says so with __SANITIZE_ADDRESS__, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

// A failure that is no error of the program's own, here memory running out while a large
// background is read, ends that profile only; the others are exported in order.
TEST_F(ExportCommand, AnyFailureEndsOnlyItsProfile)
{
    if (kAddressSanitizer)
        GTEST_SKIP() << "memory limits do not apply under AddressSanitizer";
    // 200 MiB that the file system keeps as a hole; the reader must hold it whole.
    const QString big = dir.filePath(QStringLiteral("big.jpg"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(200) * 1024 * 1024));
    }
    const QString date = QDate(2024, 1, 5).toString(shortDateFormat());
    const QString large = dir.filePath(QStringLiteral("large.ini"));
    writeFile(large, QStringLiteral("[SystemInfo]\nNbItems=3\n"
                                    "[SystemInfo_1]\nID=First\nSID=DEV\nLastRefresh=%1\n"
                                    "[SystemInfo_2]\nID=Large\nSID=QAS\nLastRefresh=%1\n"
                                    "PictureFullPath=%2\n"
                                    "[SystemInfo_3]\nID=Last\nSID=PRD\nLastRefresh=%1\n")
                         .arg(date, big)
                         .toUtf8());
    const QString out = dir.filePath(QStringLiteral("out"));
    // Room to draw the small pictures, none to read the large one.
    const auto limitMemory = [](QProcess& proc) {
        proc.setChildProcessModifier([] {
            const rlimit limit{128 * 1024 * 1024, 128 * 1024 * 1024};
            setrlimit(RLIMIT_DATA, &limit);
        });
    };
    const RunResult r = run({"--config", large, "--all", "--output-dir", out}, {}, limitMemory);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(r.err, QStringLiteral("tavelorn-export: profile \"Large\": out of memory\n"));
    EXPECT_EQ(r.out, QStringLiteral("%1/DEV_2024_01_05.jpg\n%1/PRD_2024_01_05.jpg\n").arg(out));
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 2);

    // Exporting it alone says the same.
    const RunResult one =
        run({"--config", large, "--profile", "Large", "--output", "x.jpg"}, {}, limitMemory);
    EXPECT_EQ(one.exitCode, 4);
    EXPECT_EQ(one.err, QStringLiteral("tavelorn-export: out of memory\n"));
}
