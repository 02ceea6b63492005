// A whole journey through the real program in a virtual X server, driven with xdotool as a
// user would: the first start on an empty configuration folder, the four list editors, the
// colour dialog, the profile's fields with a background picture and a refresh line, Save,
// "Save picture", the About dialog against a local server, Quit. Config.ini and the
// exported JPEG are then checked against what the journey should have produced.
//
// Every wait is for a condition (a window shown or gone, the keyboard focus, the preview
// repainted, a file written) and bounded; a window that should not be there fails the test.
// Usage: e2e_tst_journey TAVELORN TAVELORN_EXPORT   (inside an X server, xdotool on the path)
#include "localhttpserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

QString program;
QString exporter;

// Generous: the machine may be busy with builds.
constexpr int WaitMs = 30000;

const QByteArray UpdateInfoPath = "/files/tavelorn.INF";
const QByteArray TrackingPath = "/statistiques/piwik.php?idsite=12&rec=1";

// Title of the program's drop-down lists and tooltips: windows that come and go.
const QString PopupTitle = QStringLiteral("Tavelorn");

using IniSections = QMap<QString, QMap<QString, QString>>;

// Sections and keys as they stand in the file; a key that appears twice is reported.
IniSections readIni(const QString& path, QStringList* problems)
{
    IniSections sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problems->append(QStringLiteral("cannot open ") + path);
        return sections;
    }
    QString section;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) {
            problems->append(QStringLiteral("stray line: ") + line);
            continue;
        }
        const QString key = line.left(eq);
        if (sections[section].contains(key))
            problems->append(QStringLiteral("key twice: ") + section + u'/' + key);
        sections[section].insert(key, line.mid(eq + 1));
    }
    return sections;
}

QString describe(const IniSections& sections)
{
    QString out;
    for (auto s = sections.cbegin(); s != sections.cend(); ++s) {
        out += u'[' + s.key() + QStringLiteral("]\n");
        for (auto k = s->cbegin(); k != s->cend(); ++k)
            out += k.key() + u'=' + k.value() + u'\n';
    }
    return out;
}

QString iniValue(const QString& path, const QString& section, const QString& key)
{
    QStringList ignored;
    return readIni(path, &ignored).value(section).value(key, QStringLiteral("<missing>"));
}

struct Window
{
    QString id;
    QString title;
};

class JourneyE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        for (const char* dir : {"tmp", "out", "pictures", "runtime"})
            ASSERT_TRUE(QDir(home.path()).mkpath(QString::fromLatin1(dir)));
        QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner);
        ASSERT_TRUE(server.listen());
        // News on two lines, and a published version far above the program's.
        server.route(UpdateInfoPath, QByteArray("[update]\ndescr=Tavelorn news\\nSecond line\n"
                                                "[file1]\nnewversion=99.0.0.0\n"));
        server.route(TrackingPath, QByteArray("GIF89a"));
        ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    }

    void TearDown() override
    {
        if (HasFailure())
            keepScreen();
        if (app.state() != QProcess::NotRunning) {
            app.kill();
            app.waitForFinished(5000);
        }
    }

    // Pictures kept beside the test's output for whoever reads a failure.
    void keep(const QImage& image, const QString& name)
    {
        const QString dir = qEnvironmentVariableIsSet("E2E_KEEP_DIR")
                                ? qEnvironmentVariable("E2E_KEEP_DIR")
                                : QDir::currentPath();
        const QString path = dir + QStringLiteral("/e2e_journey_") + name + QStringLiteral(".png");
        if (image.save(path))
            std::fprintf(stderr, "kept %s\n", qPrintable(path));
    }

    void keepScreen()
    {
        keep(QGuiApplication::primaryScreen()->grabWindow(0).toImage(), QStringLiteral("failure"));
        std::fprintf(stderr, "windows at the failure: %s\n", qPrintable(windowList()));
    }

    // Where the journey is, and when, in the test's output.
    void step(const char* what)
    {
        if (!clock.isValid())
            clock.start();
        std::printf("%7.1f s  %s\n", double(clock.elapsed()) / 1000.0, what);
        std::fflush(stdout);
    }

    // Runs xdotool, bounded; the local server keeps answering meanwhile.
    QString xdo(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral("xdotool"), args);
        if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 15000)) {
            p.kill();
            p.waitForFinished(2000);
            ADD_FAILURE() << "xdotool " << args.join(u' ').toStdString() << " did not end";
            return QString();
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    }

    // The program's visible windows with their titles.
    QList<Window> windows()
    {
        QList<Window> list;
        const QStringList ids =
            xdo({"search", "--onlyvisible", "--pid", QString::number(app.processId())})
                .split(u'\n', Qt::SkipEmptyParts);
        for (const QString& id : ids)
            list.append({id, xdo({"getwindowname", id})});
        return list;
    }

    QString windowList()
    {
        QStringList names;
        for (const Window& w : windows())
            names.append(u'"' + w.title + u'"');
        return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
    }

    bool waitFor(const std::function<bool()>& condition, const std::string& what)
    {
        if (QTest::qWaitFor(condition, WaitMs))
            return true;
        ADD_FAILURE() << "waited in vain for " << what
                      << "; windows: " << windowList().toStdString();
        return false;
    }

    // The window titled exactly title, other than those in except, once it shows.
    QString waitWindow(const QString& title, const QStringList& except = {})
    {
        QString found;
        waitFor(
            [&] {
                for (const Window& w : windows())
                    if (w.title == title && !except.contains(w.id))
                        found = w.id;
                return !found.isEmpty();
            },
            "the window \"" + title.toStdString() + '"');
        return found;
    }

    bool waitGone(const QString& id, const QString& title)
    {
        return waitFor(
            [&] {
                for (const Window& w : windows())
                    if (w.id == id)
                        return false;
                return true;
            },
            "\"" + title.toStdString() + "\" to close");
    }

    bool waitFocus(const QString& id, const QString& title)
    {
        return waitFor([&] { return xdo({"getwindowfocus"}) == id; },
                       "the keyboard focus in \"" + title.toStdString() + '"');
    }

    // Only the main window is open (drop-down lists and tooltips aside).
    void expectOnlyMain()
    {
        QStringList others;
        for (const Window& w : windows())
            if (w.id != main && w.title != PopupTitle)
                others.append(u'"' + w.title + u'"');
        EXPECT_TRUE(others.isEmpty()) << "unexpected windows: " << others.join(u' ').toStdString();
    }

    void click(const QString& window, int x, int y)
    {
        xdo({"mousemove", "--window", window, QString::number(x), QString::number(y), "click",
             "1"});
    }

    void keys(const QStringList& names) { xdo(QStringList{"key"} + names); }
    void type(const QString& text) { xdo({"type", "--delay", "15", text}); }

    QImage grab(const QString& window, const QRect& r)
    {
        return QGuiApplication::primaryScreen()
            ->grabWindow(window.toULongLong(), r.x(), r.y(), r.width(), r.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    QImage preview() { return grab(main, QRect(394, 0, 450, 600)); }

    // A click on the main window that gives it the keyboard: dialogs leave the focus on
    // the root window when they close.
    bool clickMain(int x, int y)
    {
        click(main, x, y);
        return waitFocus(main, QStringLiteral("Corvandel"));
    }

    // The preview once two grabs in a row agree.
    QImage settledPreview()
    {
        QElapsedTimer t;
        t.start();
        QImage last = preview();
        while (t.elapsed() < 5000) {
            QTest::qWait(100);
            QImage now = preview();
            if (now == last)
                break;
            last = std::move(now);
        }
        return last;
    }

    // A change in the main window that the preview shows: runs it, then waits for the
    // preview to be repainted.
    bool inPreview(const std::string& what, const std::function<void()>& action)
    {
        const QImage before = settledPreview();
        action();
        return waitFor([&] { return preview() != before; }, what + " in the preview");
    }

    // A click on the main window that opens the modal window title; its id once it has
    // the keyboard.
    QString openDialog(int x, int y, const QString& title)
    {
        expectOnlyMain();
        click(main, x, y);
        const QString dialog = waitWindow(title, {main});
        if (!dialog.isEmpty() && waitFocus(dialog, title))
            return dialog;
        return QString();
    }

    // A list editor: each text typed into its edit box and added, then OK; returns once the
    // file counts count items in section.
    bool editList(int x, int y, const QString& caption, const QStringList& texts,
                  const QString& section, int count)
    {
        const QString dialog = openDialog(x, y, caption);
        if (dialog.isEmpty())
            return false;
        for (const QString& text : texts) {
            click(dialog, 200, 272); // the edit box, under the list
            keys({"ctrl+a"});
            type(text);
            keys({"alt+t"}); // "Ajou&ter"
        }
        const QImage filled = grab(dialog, QRect(0, 0, 402, 381));
        keys({"alt+k"}); // "O&K"
        if (!waitGone(dialog, caption))
            return false;
        if (waitFor(
                [&] {
                    return iniValue(config, section, QStringLiteral("NbItems")) ==
                           QString::number(count);
                },
                "the list " + section.toStdString() + " in Config.ini"))
            return true;
        QStringList problems;
        keep(filled, section);
        ADD_FAILURE() << "Config.ini holds:\n"
                      << describe(readIni(config, &problems)).toStdString();
        return false;
    }

    // Chooses in a drop-down list of the main window: opens it, types the first letter of
    // the item and takes it with Enter.
    bool pick(int x, int y, const QString& letter)
    {
        return inPreview("the choice " + letter.toStdString(), [&] {
            if (!clickMain(x, y))
                return;
            QString popup;
            if (!waitFor(
                    [&] {
                        for (const Window& w : windows())
                            if (w.title == PopupTitle)
                                popup = w.id;
                        return !popup.isEmpty();
                    },
                    "the drop-down list"))
                return;
            type(letter);
            keys({"Return"});
            waitGone(popup, QStringLiteral("drop-down list"));
        });
    }

    bool typeInto(int x, int y, const QString& text)
    {
        return inPreview("the text " + text.toStdString(), [&] {
            if (clickMain(x, y))
                type(text);
        });
    }

    QTemporaryDir home;
    TLocalHttpServer server;
    QProcess app;
    QString main;
    QString config;
    QElapsedTimer clock;
};

// How many pixels of r are ink (not near white), and how many of those are clearly red.
struct Ink
{
    int ink = 0;
    int red = 0;
};

Ink inkIn(const QImage& image, const QRect& r)
{
    Ink result;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qMin(qRed(c), qMin(qGreen(c), qBlue(c))) > 200)
                continue;
            ++result.ink;
            result.red += qRed(c) - qMax(qGreen(c), qBlue(c)) > 60;
        }
    return result;
}

bool near(QRgb c, QRgb want, int tolerance = 40)
{
    return std::abs(qRed(c) - qRed(want)) <= tolerance &&
           std::abs(qGreen(c) - qGreen(want)) <= tolerance &&
           std::abs(qBlue(c) - qBlue(want)) <= tolerance;
}

TEST_F(JourneyE2E, FromAnEmptyFolderToAnExportedPicture)
{
    // A background picture: blue, a yellow square in the middle.
    QImage background(200, 150, QImage::Format_RGB32);
    background.fill(qRgb(30, 60, 200));
    for (int y = 50; y < 100; ++y)
        for (int x = 75; x < 125; ++x)
            background.setPixel(x, y, qRgb(250, 220, 0));
    const QString picture = home.filePath(QStringLiteral("pictures/band.bmp"));
    ASSERT_TRUE(background.save(picture, "BMP"));

    // The first start, on an empty configuration folder.
    const QString configHome = home.filePath(QStringLiteral("config"));
    config = configHome + QStringLiteral("/Tavelorn-Tools/Tavelorn/Config.ini");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("TMPDIR"), home.filePath(QStringLiteral("tmp")));
    env.insert(QStringLiteral("TAVELORN_SITE_URL"), server.baseUrl());
    env.remove(QStringLiteral("DO_NOT_TRACK"));
    env.remove(QStringLiteral("TAVELORN_CODEPAGE"));
    // The date format of the file and of the refresh line: day/month/year.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    app.setProcessEnvironment(env);
    // The file dialogs start in the working folder.
    const QString out = home.filePath(QStringLiteral("out"));
    app.setWorkingDirectory(out);
    app.setProcessChannelMode(QProcess::ForwardedChannels);
    step("start");
    app.start(program, {});
    ASSERT_TRUE(app.waitForStarted(10000));
    main = waitWindow(QStringLiteral("Corvandel"));
    ASSERT_FALSE(main.isEmpty()) << "the window did not show";
    expectOnlyMain();
    EXPECT_TRUE(QFileInfo(config).dir().exists()) << "the configuration folder is made at start";
    EXPECT_FALSE(QFile::exists(config)) << "nothing is written before the first change";
    // The start picture: white, a one-pixel black frame.
    EXPECT_TRUE(waitFor(
        [&] {
            const QImage start = preview();
            return near(start.pixel(0, 300), qRgb(0, 0, 0), 10) &&
                   near(start.pixel(1, 300), qRgb(255, 255, 255), 10) &&
                   near(start.pixel(225, 300), qRgb(255, 255, 255), 10);
        },
        "the white start picture"));

    // The option lists, each from its editor.
    step("list editors");
    ASSERT_TRUE(editList(373, 66, QStringLiteral("System Title"),
                         {QStringLiteral("SAP ERP 6.0 EHP7")}, QStringLiteral("SystemTitle"), 1));
    ASSERT_TRUE(editList(192, 108, QStringLiteral("Position in the landscape"),
                         {QStringLiteral("DEV"), QStringLiteral("QAS"), QStringLiteral("PRD")},
                         QStringLiteral("LandscapeType"), 3));
    ASSERT_TRUE(editList(373, 108, QStringLiteral("SID"),
                         {QStringLiteral("DEV"), QStringLiteral("QAS"), QStringLiteral("PRD")},
                         QStringLiteral("SID"), 3));

    step("colour dialog");
    // The colour dialog gives DEV, the first position, red: R picks "Red" in the picker.
    {
        const QString title = QStringLiteral("Assign color to system position");
        const QString dialog = openDialog(223, 108, title);
        ASSERT_FALSE(dialog.isEmpty());
        keys({"Down", "Tab", "r"});
        keys({"Return"});
        ASSERT_TRUE(waitGone(dialog, title));
        ASSERT_TRUE(waitFor(
            [&] {
                return iniValue(config, QStringLiteral("Color"), QStringLiteral("Item_1")) ==
                       QStringLiteral("255");
            },
            "DEV's colour in Config.ini"));
    }
    expectOnlyMain();

    step("profile fields");
    // The profile: title, position, SID, a usage line and an information line.
    ASSERT_TRUE(pick(181, 65, QStringLiteral("S")));
    ASSERT_TRUE(pick(88, 109, QStringLiteral("D")));
    ASSERT_TRUE(pick(321, 109, QStringLiteral("D")));
    ASSERT_TRUE(typeInto(197, 168, QStringLiteral("Development system")));
    ASSERT_TRUE(typeInto(180, 309, QStringLiteral("Do not use for production data")));

    step("background picture");
    // A background picture, centred, its path typed into the file dialog.
    ASSERT_TRUE(inPreview("the background picture", [&] {
        const QString dialog = openDialog(108, 252, QStringLiteral("Open picture"));
        if (dialog.isEmpty())
            return;
        type(picture);
        keys({"Return"});
        waitGone(dialog, QStringLiteral("Open picture"));
    }));
    ASSERT_TRUE(inPreview("Center", [&] { clickMain(232, 252); }));

    step("refresh line");
    // The refresh line: the box, the date 3 March 2024, a source system, and a comment
    // from the comment editor.
    ASSERT_TRUE(inPreview("Last refresh", [&] { clickMain(14, 425); }));
    ASSERT_TRUE(inPreview("the refresh date", [&] {
        if (!clickMain(30, 445))
            return;
        keys({"Left", "Left"}); // the day
        type(QStringLiteral("03032024"));
    }));
    ASSERT_TRUE(pick(190, 445, QStringLiteral("Q")));
    ASSERT_TRUE(editList(373, 491, QStringLiteral("Comment about refresh"),
                         {QStringLiteral("Copy of production")}, QStringLiteral("RefreshComment"),
                         2));
    ASSERT_TRUE(pick(181, 491, QStringLiteral("C")));

    // A border of 3 from the spinner's arrow keys.
    ASSERT_TRUE(inPreview("the border", [&] {
        if (clickMain(350, 445))
            keys({"Up", "Up"});
    }));
    expectOnlyMain();

    // Save the profile.
    step("Save");
    const QString id = QStringLiteral("SAP ERP 6.0 EHP7__DEV__2024_03_03");
    ASSERT_TRUE(clickMain(69, 575));
    ASSERT_TRUE(waitFor(
        [&] {
            return iniValue(config, QStringLiteral("SystemInfo"), QStringLiteral("NbItems")) ==
                   QStringLiteral("1");
        },
        "the profile in Config.ini"));
    expectOnlyMain();

    step("Save picture");
    // Save picture: the proposed name, SID and date, in the folder typed before it.
    const QString jpeg = out + QStringLiteral("/DEV_2024_03_03.jpg");
    {
        const QString dialog = openDialog(324, 575, QStringLiteral("Save picture"));
        ASSERT_FALSE(dialog.isEmpty());
        keys({"Home"});
        type(out + u'/');
        keys({"Return"});
        ASSERT_TRUE(waitGone(dialog, QStringLiteral("Save picture")));
        ASSERT_TRUE(
            waitFor([&] { return QImage(jpeg).size() == QSize(450, 600); }, "the exported picture"))
            << QDir(out).entryList(QDir::Files).join(u' ').toStdString();
    }
    expectOnlyMain();

    step("About");
    // About, against the local server: the news and the new-version notice show.
    {
        const QString dialog = openDialog(24, 575, QStringLiteral("About"));
        ASSERT_FALSE(dialog.isEmpty());
        int asked = 0;
        for (const auto& r : server.requests())
            asked += r.target == UpdateInfoPath;
        EXPECT_GE(asked, 1) << "the About dialog did not ask for the update information";
        // "New version available" in red, right-aligned at 442 on the row of "Version
        // History"; the news box holds dark text.
        EXPECT_TRUE(waitFor(
            [&] {
                const QImage about = grab(dialog, QRect(0, 0, 450, 288));
                const Ink news = inkIn(about, QRect(174, 84, 240, 40));
                return inkIn(about, QRect(300, 64, 142, 14)).red > 30 && news.ink - news.red > 40;
            },
            "the news and the new-version notice"));
        keys({"alt+c"}); // "&Close"
        ASSERT_TRUE(waitGone(dialog, QStringLiteral("About")));
    }
    expectOnlyMain();

    // One usage hit for the one start.
    ASSERT_TRUE(waitFor(
        [&] {
            for (const auto& r : server.requests())
                if (r.target == TrackingPath)
                    return true;
            return false;
        },
        "the usage hit"));

    // Quit ends the program.
    step("Quit");
    click(main, 369, 575);
    ASSERT_TRUE(waitFor([&] { return app.state() == QProcess::NotRunning; }, "the program's end"));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    int hits = 0;
    for (const auto& r : server.requests())
        hits += r.target == TrackingPath;
    EXPECT_EQ(hits, 1);
    // The downloads left no file behind.
    EXPECT_EQ(QDir(home.filePath(QStringLiteral("tmp")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());

    step("checks");
    // Config.ini: the lists, the colours and the profile, nothing else.
    QStringList problems;
    const IniSections written = readIni(config, &problems);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    using Keys = QMap<QString, QString>;
    const IniSections expected{
        {"SystemTitle", Keys{{"NbItems", "1"}, {"Item_1", "SAP ERP 6.0 EHP7"}}},
        {"LandscapeType",
         Keys{{"NbItems", "3"}, {"Item_1", "DEV"}, {"Item_2", "QAS"}, {"Item_3", "PRD"}}},
        {"Color", Keys{{"NbItems", "3"}, {"Item_1", "255"}, {"Item_2", "0"}, {"Item_3", "0"}}},
        {"SID", Keys{{"NbItems", "3"}, {"Item_1", "DEV"}, {"Item_2", "PRD"}, {"Item_3", "QAS"}}},
        // The empty first item of the list is written too.
        {"RefreshComment",
         Keys{{"NbItems", "2"}, {"Item_1", ""}, {"Item_2", "Copy of production"}}},
        {"SystemInfo", Keys{{"NbItems", "1"}}},
        {"SystemInfo_1", Keys{{"ID", id},
                              {"BorderWidth", "3"},
                              {"SystemTitle", "SAP ERP 6.0 EHP7"},
                              {"LansdscapePosition", "DEV"},
                              {"SID", "DEV"},
                              {"Usage1", "Development system"},
                              {"Usage2", ""},
                              {"PictureFullPath", picture},
                              {"PictureCenter", "1"},
                              {"PictureStretch", "0"},
                              {"Info1", "Do not use for production data"},
                              {"Info2", ""},
                              {"Info3", ""},
                              {"LastRefresh", "03/03/2024"},
                              {"SourceRefresh", "QAS"},
                              {"CommentRefresh", "Copy of production"}}},
    };
    EXPECT_EQ(written, expected) << "Config.ini holds:\n"
                                 << describe(written).toStdString() << "expected:\n"
                                 << describe(expected).toStdString();

    // The exported picture.
    const QImage image = QImage(jpeg).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(450, 600));
    // The border, three pixels wide.
    EXPECT_TRUE(near(image.pixel(2, 300), qRgb(0, 0, 0)));
    EXPECT_TRUE(near(image.pixel(447, 300), qRgb(0, 0, 0)));
    EXPECT_TRUE(near(image.pixel(5, 300), qRgb(255, 255, 255)));
    // The title, black, at the top left.
    const Ink title = inkIn(image, QRect(15, 10, 200, 36));
    EXPECT_GT(title.ink, 200);
    EXPECT_LT(title.red, title.ink / 20);
    // DEV's SID and position in DEV's red.
    for (const QRect& box : {QRect(361, 40, 75, 39), QRect(280, 40, 75, 39)}) {
        const Ink ink = inkIn(image, box);
        EXPECT_GT(ink.ink, 100) << box.x();
        EXPECT_GT(ink.red, ink.ink * 8 / 10) << box.x();
    }
    // The background centred in its band: blue, the yellow square in the middle, white
    // beside it.
    EXPECT_TRUE(near(image.pixel(225, 315), qRgb(250, 220, 0)));
    EXPECT_TRUE(near(image.pixel(140, 250), qRgb(30, 60, 200)));
    EXPECT_TRUE(near(image.pixel(60, 315), qRgb(255, 255, 255)));
    // The information line in red under the band; the refresh line in black at the bottom.
    const Ink info = inkIn(image, QRect(0, 490, 450, 19));
    EXPECT_GT(info.red, 100);
    const Ink refresh = inkIn(image, QRect(15, 560, 400, 23));
    EXPECT_GT(refresh.ink, 300);
    EXPECT_LT(refresh.red, refresh.ink / 20);

    // The saved profile gives the same picture through tavelorn-export.
    QProcess run;
    QProcessEnvironment exportEnv = env;
    exportEnv.remove(QStringLiteral("DISPLAY"));
    run.setProcessEnvironment(exportEnv);
    const QString again = home.filePath(QStringLiteral("again.jpg"));
    run.start(exporter, {"--config", config, "--profile", id, "--output", again});
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_TRUE(QImage(again).convertToFormat(QImage::Format_RGB32) == image)
        << "the window's picture differs from the saved profile's";
}

} // namespace

int main(int argc, char** argv)
{
    // Reads the windows' pixels from the X server the program runs on.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TAVELORN TAVELORN_EXPORT\n", argv[0]);
        return 2;
    }
    // Absolute: the program runs in a folder of its own.
    program = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    exporter = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    return RUN_ALL_TESTS();
}
