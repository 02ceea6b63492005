// The About dialog and the usage hit of the main window, against a local HTTP server
// reached through TAVELORN_SITE_URL, with a private temporary folder.
#include "mainwindowfixture.h"

#include "localhttpserver.h"
#include "scopedenv.h"

#include "apperror.h"
#include "apptitle.h"
#include "download.h"
#include "job.h"
#include "nettesting.h"
#include "programversion.h"
#include "systemdescription.h"
#include "textcontrast.h"
#include "uAbout102.h"
#include "webendpoints.h"

#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace tavelorn;

namespace {

// Records the addresses the desktop would open, instead of opening them.
class TUrlRecorder : public QObject
{
    Q_OBJECT

public:
    TUrlRecorder()
    {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~TUrlRecorder() override
    {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class AboutTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        ASSERT_TRUE(server.listen());
        setEnv("TMPDIR", QFile::encodeName(tmp.path()));
        setEnv("TAVELORN_SITE_URL", server.baseUrl().toUtf8());
        // The main window's usage hit would mix with the About dialog's requests.
        setEnv("DO_NOT_TRACK", "1");
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        TestHooks::setProgramVersionReader({});
        setAppTitle(QStringLiteral("Corvandel"));
        while (!env.empty())
            env.pop_back(); // the latest first: a variable set twice ends as it began
    }

    void setEnv(const char* name, const QByteArray& value)
    {
        env.push_back(std::make_unique<TScopedEnv>(name, value));
    }

    QStringList leftovers() const
    {
        return QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    static QByteArray updateInfoPath()
    {
        return "/files/" + QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() +
               ".INF";
    }

    // A port on which nothing listens.
    static QByteArray refusingBase()
    {
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        const quint16 port = closed.serverPort();
        closed.close();
        return "http://127.0.0.1:" + QByteArray::number(port);
    }

    // The dialog as the About command opens it: from the update information downloaded in
    // a job while this thread serves the local server.
    std::unique_ptr<TfrmAbout102> openDialog()
    {
        Job<UpdateInfoDownloads> job;
        job.start(networkJobPool(), [url = updateInfoUrl()](std::stop_token stop) {
            return downloadUpdateInfo(url, stop);
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return !job.isRunning(); }, 30000));
        auto dialog = std::make_unique<TfrmAbout102>(job.result());
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    QTemporaryDir tmp;
    TLocalHttpServer server;
    std::vector<std::unique_ptr<TScopedEnv>> env;
};

// The pictures live in a static library that no code registers by hand: each must still
// reach a program that links it.
TEST(Resources, ThePicturesTheDialogsNameAreLinkedIn)
{
    for (const char* path : {":/about/background.svg", ":/about/donate.svg", ":/about/door.svg",
                             ":/about/ladybird.svg", ":/stringlisteditor/ok.svg",
                             ":/stringlisteditor/delete.svg", ":/pictures/save-24.argb"})
        EXPECT_TRUE(QFile::exists(QString::fromLatin1(path))) << path;
}

TEST(AboutText, OperatingSystemLine)
{
    const struct
    {
        const char* name;
        const char* release;
        const char* arch;
        const char* text;
    } cases[] = {
        {"Debian GNU/Linux 12 (bookworm)", "6.1.0-18-amd64", "x86_64",
         "Debian GNU/Linux 12 (bookworm) (Version 6.1, Build 0, Edition 64 bits)"},
        {"Fedora Linux 39", "6.8", "arm64",
         "Fedora Linux 39 (Version 6.8, Build 0, Edition 64 bits)"},
        {"Ubuntu 22.04 LTS", "5.15.90.1-microsoft-standard-WSL2", "i386",
         "Ubuntu 22.04 LTS (Version 5.15, Build 90, Edition 32 bits)"},
        {"Raspbian", "6.6.20+rpt-rpi-v7", "arm",
         "Raspbian (Version 6.6, Build 20, Edition 32 bits)"},
        {"%1 & %2", "", "", "%1 & %2 (Version 0.0, Build 0, Edition 32 bits)"},
        {"X", "99999999999.1", "s390x", "X (Version 0.1, Build 0, Edition 64 bits)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(operatingSystemDescription(QString::fromUtf8(c.name),
                                             QString::fromUtf8(c.release),
                                             QString::fromUtf8(c.arch)),
                  QString::fromUtf8(c.text))
            << c.release;
}

// os-release is a file anyone may have written: its name is unquoted as the shell
// would, ends at a NUL, loses control characters and stays short.
TEST(AboutText, DistributionNameFromOsRelease)
{
    const struct
    {
        QByteArray content;
        QString name;
    } cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='Fedora Linux 39 (Workstation)'\n", "Fedora Linux 39 (Workstation)"},
        {"PRETTY_NAME=Arch\n", "Arch"},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\$5 \\\\ %1\"\n", "Say \"hi\" $5 \\ %1"},
        {QByteArray("PRETTY_NAME=\"Good\0Evil\"\n", 24), "Good"},
        {"PRETTY_NAME=\"A\tB\x1b[31mC\"\n", "A B [31mC"},
        {"PRETTY_NAME=\"Caf\xc3\xa9 OS\"\r\n", "Caf\u00e9 OS"},
        {"PRETTY_NAME=\"unterminated\n", "unterminated"},
        {"ID=debian\n", ""},
        {"PRETTY_NAME=\"" + QByteArray(100000, 'x') + "\"\n", QString(120, u'x')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(osReleasePrettyName(c.content), c.name) << c.content.left(40).toStdString();
}

TEST_F(AboutTest, WithTheServerDownTheCommandOpensAFilledDialogWithoutAMessage)
{
    open();
    const QByteArray base = refusingBase();
    setEnv("TAVELORN_SITE_URL", base);
    bool seen = false;
    whenModal<TfrmAbout102>([&](TfrmAbout102* dialog) {
        seen = true;
        const AboutControls f(dialog);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("About"));
        EXPECT_EQ(dialog->size(), QSize(450, 288));
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
        EXPECT_FALSE(dialog->windowFlags() &
                     (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(dialog->parentWidget(), w.get());
        EXPECT_LE(
            (dialog->frameGeometry().center() - w->frameGeometry().center()).manhattanLength(), 2);

        EXPECT_EQ(f.lblApplicationTitle->text(), QStringLiteral("Corvandel"));
        EXPECT_EQ(f.lblVersion->text(), QStringLiteral("Version ") + programVersion());
        EXPECT_EQ(f.memNews->toPlainText(), QString());
        EXPECT_FALSE(f.lblNewVersion->isVisible());
        EXPECT_FALSE(f.imgBug->isVisible());
        EXPECT_EQ(f.imgBug->toolTip(), QStringLiteral("Version debug !!!"));
        // The release whole ("Debian GNU/Linux 12 (bookworm)"), inside the dialog.
        EXPECT_TRUE(f.lblWindowsVersion->text().startsWith(systemName() + u' ') ||
                    f.lblWindowsVersion->text() == systemName())
            << f.lblWindowsVersion->text().toStdString();
        EXPECT_LE(f.lblWindowsVersion->geometry().right() + 1, 442);
        EXPECT_TRUE(f.lblWindowsVersion->toolTip().isEmpty() ||
                    f.lblWindowsVersion->toolTip() == operatingSystemDescription());
        EXPECT_TRUE(f.lblCompilerVersion->text().startsWith(QStringLiteral("Compiled with ")));
        // The host the links really reach (the local server), not the built-in one.
        EXPECT_EQ(f.lblWebSite->text(), QUrl(QString::fromLatin1(base)).authority());
        EXPECT_NE(f.lblWebSite->text(), siteHost());
        // The test platform may hand activation back to the main window: ask again.
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog)) {
            ADD_FAILURE() << "the dialog did not become active";
            dialog->close();
            return;
        }
        EXPECT_EQ(dialog->focusWidget(), f.BitBtn1);
        // Escape does nothing; Enter presses the focused Close.
        QTest::keyClick(dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(dialog->isVisible());
    });
    ui->bbtAbout->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen; }, 30000));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // no message box came up
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(AboutTest, NewsAndNoticeComeFromTwoBareRequests)
{
    server.route(
        updateInfoPath(),
        QByteArray("[update]\ndescr=Version 9 is out.\\nIt draws faster.\\NAnd it sleeps less.\n"
                   "[file1]\nnewversion=9.0.0.0\n"));
    auto dialog = openDialog();
    const AboutControls f(dialog.get());
    EXPECT_EQ(f.memNews->toPlainText(),
              QStringLiteral("Version 9 is out.\nIt draws faster.\nAnd it sleeps less."));
    EXPECT_EQ(f.memNews->document()->blockCount(), 3);
    EXPECT_TRUE(f.lblNewVersion->isVisible());
    EXPECT_EQ(f.lblNewVersion->text(), QStringLiteral("New version available"));
    EXPECT_EQ(f.lblNewVersion->geometry().right() + 1, 442);
    EXPECT_EQ(f.lblWebSite->geometry().right() + 1, 442);
    // Red, dark enough to read on the artwork.
    const QColor notice = f.lblNewVersion->palette().color(QPalette::WindowText);
    EXPECT_GE(notice.red(), 0xB0);
    EXPECT_EQ(notice.green(), 0);
    EXPECT_EQ(notice.blue(), 0);

    ASSERT_EQ(server.requests().size(), 2);
    for (const auto& r : server.requests()) {
        EXPECT_EQ(r.target, updateInfoPath());
        EXPECT_EQ(r.headers.keys(), (QList<QByteArray>{"accept", "host"}));
    }
    EXPECT_EQ(leftovers(), QStringList());

    // The same version as ours is no news.
    server.route(updateInfoPath(), "[file1]\nnewversion=" + programVersion().toLatin1() + "\n");
    EXPECT_FALSE(AboutControls(openDialog().get()).lblNewVersion->isVisible());
}

TEST_F(AboutTest, LabelsFitAndStandOnALightBackground)
{
    server.route(updateInfoPath(),
                 QByteArray("[update]\ndescr=News\n[file1]\nnewversion=99.0.0.0\n"));
    auto dialog = openDialog();
    const AboutControls f(dialog.get());
    const QImage background = f.Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(background.size(), QSize(450, 288));
    for (QLabel* l : std::initializer_list<QLabel*>{
             f.lblApplicationTitle, f.lblVersion, f.lblVersionHistory, f.lblNewVersion,
             f.lblWindowsVersion, f.lblCompilerVersion, f.lblWebSite}) {
        SCOPED_TRACE(l->objectName().toStdString());
        const QRect r = l->geometry();
        EXPECT_TRUE(dialog->rect().contains(r))
            << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
        EXPECT_GE(r.width(), l->sizeHint().width());
        // Dark text needs a light ground: every pixel behind the label is light.
        int darkest = 255;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                darkest = std::min(darkest, qGray(background.pixel(x, y)));
        EXPECT_GE(darkest, 170);
    }
    // Labels that share a row keep apart.
    EXPECT_FALSE(f.lblVersionHistory->geometry().intersects(f.lblNewVersion->geometry()));
    EXPECT_FALSE(f.lblCompilerVersion->geometry().intersects(f.lblWebSite->geometry()));
}

// Tab from Close reaches the news box, and the box shows it has the focus.
TEST_F(AboutTest, TheNewsBoxShowsTheFocus)
{
    server.route(updateInfoPath(), QByteArray("[update]\ndescr=News\n"));
    auto dialog = openDialog();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    const AboutControls f(dialog.get());
    ASSERT_EQ(dialog->focusWidget(), f.BitBtn1);
    const QRect box = f.memNews->geometry();
    const QImage without = dialog->grab(box).toImage();
    QTest::keyClick(f.BitBtn1, Qt::Key_Tab);
    ASSERT_EQ(dialog->focusWidget(), f.memNews);
    const QImage with = dialog->grab(box).toImage();
    EXPECT_NE(with, without) << "no focus cue";
    // The cue is the desktop's highlight round the box, and it goes with the focus.
    const QColor highlight = f.memNews->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(with.pixelColor(box.width() / 2, 0).rgb(), highlight.rgb());
    QTest::keyClick(f.memNews, Qt::Key_Tab);
    ASSERT_NE(dialog->focusWidget(), f.memNews);
    EXPECT_EQ(dialog->grab(box).toImage(), without);
}

TEST_F(AboutTest, ATitleWithAnAmpersandShowsIt)
{
    setAppTitle(QStringLiteral("R&D Tools"));
    auto dialog = openDialog();
    const QLabel* title = AboutControls(dialog.get()).lblApplicationTitle;
    EXPECT_EQ(title->text(), QStringLiteral("R&D Tools"));
    // Taken as an access key, the "&" would not be drawn and the label would be narrower.
    EXPECT_GE(title->width(),
              QFontMetrics(title->font()).horizontalAdvance(QStringLiteral("R&D Tools")));
}

TEST_F(AboutTest, EachLinkOpensItsAddressAndTheDialogStays)
{
    setEnv("TAVELORN_SITE_URL", refusingBase());
    const QString base = siteBaseUrl();
    TUrlRecorder recorder;
    auto dialog = openDialog();
    const AboutControls f(dialog.get());
    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(f.lblWebSite, Qt::LeftButton);
        QTest::mouseClick(f.imgDonate, Qt::LeftButton);
        f.bbtEula->click();
    }
    const QList<QUrl> once{QUrl(base + QStringLiteral("/wiki/doku.php")), QUrl(donationAddress()),
                           QUrl(base + QStringLiteral("/wiki/doku.php?id=start:utils:eula"))};
    EXPECT_EQ(recorder.opened, once + once);
    EXPECT_TRUE(dialog->isVisible());
    // A press that leaves the label before the release is no click.
    QTest::mousePress(f.lblWebSite, Qt::LeftButton);
    QTest::mouseRelease(f.lblWebSite, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(recorder.opened.size(), 6);
}

// Nothing can open the address (the test platform has no desktop services, as a system
// without xdg-open has none): the user is told so, with the address, and the dialog stays.
TEST_F(AboutTest, ALinkThatNothingCanOpenIsExplainedWithItsAddress)
{
    setEnv("TAVELORN_SITE_URL", refusingBase());
    auto dialog = openDialog();
    auto box = answerBox();
    AboutControls(dialog.get()).bbtEula->click();
    ASSERT_TRUE(box->shown);
    EXPECT_EQ(box->title, QStringLiteral("Corvandel"));
    EXPECT_EQ(box->icon, QMessageBox::Information);
    EXPECT_TRUE(box->text.contains(eulaPageUrl())) << box->text.toStdString();
    EXPECT_TRUE(box->text.contains(QStringLiteral("xdg-utils")));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(AboutTest, AVersionThatCannotBeReadStopsTheFillingWithAMessage)
{
    open();
    TestHooks::setProgramVersionReader(
        []() -> ProgramVersion { throw AppError(osErrorMessage(ENOENT)); });
    server.route(updateInfoPath(), QByteArray("[update]\ndescr=News\n"));
    auto box = answerBox();
    bool seen = false;
    whenModal<TfrmAbout102>([&](TfrmAbout102* dialog) {
        seen = true;
        EXPECT_TRUE(box->shown); // before the dialog opened
        const AboutControls f(dialog);
        EXPECT_EQ(f.lblApplicationTitle->text(), QStringLiteral("Corvandel"));
        EXPECT_EQ(f.lblVersion->text(), QStringLiteral("lblVersion"));
        EXPECT_TRUE(f.lblNewVersion->isVisible());
        EXPECT_EQ(f.memNews->toPlainText(), QStringLiteral("memNews"));
        EXPECT_EQ(f.lblWindowsVersion->text(), QStringLiteral("lblWindowsVersion"));
        EXPECT_EQ(f.lblCompilerVersion->text(), QStringLiteral("lblCompilerVersion"));
        EXPECT_FALSE(f.imgBug->isVisible());
        f.BitBtn1->click();
    });
    ui->bbtAbout->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(box->title, QStringLiteral("Corvandel"));
    EXPECT_EQ(box->icon, QMessageBox::Critical);
    EXPECT_EQ(box->text,
              QStringLiteral("Erreur système.  Code : 2.\r\n") + systemErrorText(ENOENT) + u'.');
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The downloads run off the window's thread: whatever the server does, the window's event
// loop keeps turning (a probe timer measures its longest pause), the window is disabled
// under a busy cursor meanwhile, and the dialog then shows what the server sent.
TEST_F(AboutTest, TheWindowStaysResponsiveWhateverTheServerDoes)
{
    enum Server
    {
        Silent,
        Slow,
        Fast
    };
    const struct
    {
        const char* what;
        Server server;
        bool news;
    } cases[] = {{"silent", Silent, false}, {"slow", Slow, true}, {"fast", Fast, true}};
    open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A silent server costs the bounds: the test's are short.
        std::optional<TestHooks::ShortDownloadTimeouts> shortBounds;
        if (c.server == Silent)
            shortBounds.emplace(500);
        server.clear();
        server.setSilent(c.server == Silent);
        server.setDelay(c.server == Slow ? 300 : 0);
        server.route(updateInfoPath(),
                     QByteArray("[update]\ndescr=News\n[file1]\nnewversion=99.0.0.0\n"));
        QElapsedTimer probeClock;
        qint64 lastTick = 0;
        qint64 longestPause = 0;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longestPause = std::max(longestPause, probeClock.elapsed() - lastTick);
            lastTick = probeClock.elapsed();
        });
        bool seen = false;
        whenModal<TfrmAbout102>([&](TfrmAbout102* dialog) {
            seen = true;
            probe.stop();
            const AboutControls f(dialog);
            EXPECT_EQ(f.memNews->toPlainText(), c.news ? QStringLiteral("News") : QString());
            EXPECT_EQ(f.lblNewVersion->isVisible(), c.news);
            EXPECT_EQ(f.lblVersion->text(), QStringLiteral("Version ") + programVersion());
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
            EXPECT_TRUE(w->isEnabled());
            dialog->close();
        });
        probeClock.start();
        probe.start(10);
        ui->bbtAbout->click();
        // The click returned at once, the downloads still running.
        EXPECT_LT(probeClock.elapsed(), 100);
        EXPECT_FALSE(seen);
        EXPECT_FALSE(w->isEnabled());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        ASSERT_TRUE(QTest::qWaitFor([&] { return seen; }, 30000));
        EXPECT_EQ(server.requests().size(), 2);
        // Between ticks of 10 ms, no pause that a user would see.
        EXPECT_LT(longestPause, 100) << "the event loop stood still";
        std::printf("%s server: dialog after %lld ms, longest event-loop pause %lld ms\n", c.what,
                    static_cast<long long>(lastTick), static_cast<long long>(longestPause));
    }
    server.setSilent(false);
    server.setDelay(0);
    EXPECT_EQ(leftovers(), QStringList());
}

// Closing the window while the About command downloads stops the downloads at once.
TEST_F(AboutTest, ClosingDuringTheDownloadsReturnsAtOnce)
{
    open();
    server.setSilent(true);
    ui->bbtAbout->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, 10000));
    ASSERT_FALSE(w->isEnabled());
    QElapsedTimer clock;
    clock.start();
    w->close();
    ui.reset();
    w.reset();
    const qint64 took = clock.elapsed();
    EXPECT_LT(took, 100);
    std::printf("closed during a download in %lld ms\n", static_cast<long long>(took));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(AboutTest, EachShowingOfTheMainWindowSendsOneUsageHit)
{
    const QByteArray tracking = "/statistiques/piwik.php?idsite=12&rec=1";
    server.route(tracking, QByteArray("GIF89a"));
    // Every step waits the same for a hit: the showings that send prove the wait long
    // enough for the steps that must not.
    const auto hitsAfterWait = [&](qsizetype before) {
        // The count returned says whether a hit came.
        static_cast<void>(QTest::qWaitFor([&] { return server.requests().size() > before; },
                                          TfrmMainNew::kUsageHitDelayMs + 2000));
        return server.requests().size();
    };
    setEnv("DO_NOT_TRACK", "");
    open();
    ASSERT_EQ(hitsAfterWait(0), 1);
    EXPECT_EQ(server.requests()[0].target, tracking);
    // Re-activating the window is no new showing; hiding and showing it is.
    w->activateWindow();
    EXPECT_EQ(hitsAfterWait(1), 1);
    w->hide();
    w->show();
    EXPECT_EQ(hitsAfterWait(1), 2);
    EXPECT_EQ(hitsAfterWait(2), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return leftovers().isEmpty(); }, 10000));

    // Not counted when the user says so.
    w.reset();
    server.clear();
    setEnv("DO_NOT_TRACK", "1");
    open();
    EXPECT_EQ(hitsAfterWait(0), 0);
}

} // namespace

// The labels over the artwork are readable whatever the desktop's palette, measured on
// the rendered pixels against the artwork behind each (WCAG AA).
class AboutContrast : public AboutTest, public ::testing::WithParamInterface<DesktopScheme>
{
protected:
    void SetUp() override
    {
        AboutTest::SetUp();
        saved = QApplication::palette();
        QApplication::setPalette(GetParam().make(QApplication::style()->standardPalette()));
    }
    void TearDown() override
    {
        AboutTest::TearDown();
        QApplication::setPalette(saved);
    }
    QPalette saved;
};

TEST_P(AboutContrast, LabelsOverTheArtwork)
{
    server.route(updateInfoPath(),
                 QByteArray("[update]\ndescr=News\n[file1]\nnewversion=99.0.0.0\n"));
    auto dialog = openDialog();
    const AboutControls f(dialog.get());
    ASSERT_TRUE(f.lblNewVersion->isVisible());
    const auto render = [&] {
        return dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    for (QLabel* l : std::initializer_list<QLabel*>{
             f.lblApplicationTitle, f.lblVersion, f.lblVersionHistory, f.lblNewVersion,
             f.lblWindowsVersion, f.lblCompilerVersion, f.lblWebSite}) {
        SCOPED_TRACE(l->objectName().toStdString());
        const QImage withText = render();
        l->hide();
        const QImage behind = render();
        l->show();
        const TextContrast c = measureTextContrast(withText, behind, l->geometry());
        ASSERT_GT(c.glyphPixels, 0);
        EXPECT_GE(c.ratio, kMinTextContrast)
            << "text #" << std::hex << (c.text & 0xFFFFFF) << std::dec << " contrast " << c.ratio;
    }
}

INSTANTIATE_TEST_SUITE_P(Schemes, AboutContrast, ::testing::ValuesIn(kDesktopSchemes),
                         [](const auto& info) { return std::string(info.param.name); });

int main(int argc, char** argv)
{
    return runWidgetTests(argc, argv);
}

#include "tst_about.moc"
