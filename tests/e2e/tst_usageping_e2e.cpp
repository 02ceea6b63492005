// The real program, started in a virtual X server, sends one usage hit per start to a
// local server, leaves no file behind, and sends nothing with DO_NOT_TRACK=1.
// Usage: e2e_tst_usageping TAVELORN   (inside an X server, with xdotool on the path)
#include "localhttpserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <csignal>

#include "silentnameserver.h"

#include <gtest/gtest.h>

namespace {

QString program;
const QByteArray TrackingPath = "/statistiques/piwik.php?idsite=12&rec=1";

class UsagePingE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("tmp")));
        ASSERT_TRUE(server.listen());
        server.route(TrackingPath, QByteArray("GIF89a"));
        QFile config(home.filePath(QStringLiteral("Config.ini")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    }

    void TearDown() override
    {
        if (app.state() != QProcess::NotRunning) {
            app.terminate();
            if (!app.waitForFinished(10000))
                app.kill();
            app.waitForFinished(5000);
        }
    }

    // Starts exe with the environment of the test and waits until its window is visible.
    void start(const QString& exe, const QByteArray& doNotTrack, const QString& site = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("TMPDIR"), tmpDir());
        // Else Qt makes its runtime folder in TMPDIR.
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.insert(QStringLiteral("TAVELORN_SITE_URL"), site.isEmpty() ? server.baseUrl() : site);
        env.insert(QStringLiteral("DO_NOT_TRACK"), QString::fromLatin1(doNotTrack));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        app.setProcessEnvironment(env);
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(exe, {home.filePath(QStringLiteral("Config.ini"))});
        ASSERT_TRUE(app.waitForStarted(10000));

        QProcess wait;
        wait.start(QStringLiteral("xdotool"),
                   {QStringLiteral("search"), QStringLiteral("--sync"),
                    QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                    QString::number(app.processId()), QStringLiteral("--name"),
                    QStringLiteral("^Corvandel$")});
        // The server answers while we wait.
        ASSERT_TRUE(QTest::qWaitFor([&] { return wait.state() == QProcess::NotRunning; }, 30000))
            << "the window did not show";
        ASSERT_EQ(wait.exitCode(), 0);
        mainWindow = QString::fromLatin1(wait.readAllStandardOutput()).split(u'\n').value(0);
    }

    // Runs xdotool, bounded, while this test's servers keep going.
    bool xdo(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral("xdotool"), args);
        return QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 15000) &&
               p.exitCode() == 0;
    }

    void click(int x, int y)
    {
        xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), mainWindow,
             QString::number(x), QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
    }

    bool ended(int ms)
    {
        return QTest::qWaitFor([&] { return app.state() == QProcess::NotRunning; }, ms);
    }

    QString tmpDir() const { return home.filePath(QStringLiteral("tmp")); }
    QStringList leftovers() const
    {
        return QDir(tmpDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QTemporaryDir home;
    TLocalHttpServer server;
    QProcess app;
    QString mainWindow;
};

TEST_F(UsagePingE2E, OneHitPerStartAndNoFileLeft)
{
    // Under its own name and under another one: the name comes from the version
    // information, not from the file system.
    const QString renamed = home.filePath(QStringLiteral("renamed-program"));
    ASSERT_TRUE(QFile::copy(program, renamed));
    for (const QString& exe : {program, renamed}) {
        SCOPED_TRACE(exe.toStdString());
        server.clear();
        start(exe, "");
        QElapsedTimer sinceShown;
        sinceShown.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, 15000));
        const qint64 firstHitMs = sinceShown.elapsed();
        EXPECT_EQ(server.requests().front().target, TrackingPath);
        EXPECT_TRUE(QTest::qWaitFor([&] { return leftovers().isEmpty(); }, 10000))
            << leftovers().join(u' ').toStdString();
        // A second hit of this showing would come no later after the first than the
        // first came after the window showed.
        EXPECT_FALSE(
            QTest::qWaitFor([&] { return server.requests().size() > 1; }, int(firstHitMs) + 500));
        EXPECT_EQ(server.requests().size(), 1);
        TearDown();
    }
}

TEST_F(UsagePingE2E, DoNotTrackSendsNothing)
{
    // Both runs wait the same for a hit: the one that sends proves the wait long enough
    // for the one that must not.
    const int waitMs = 5000;
    const struct
    {
        const char* doNotTrack;
        int hits;
    } cases[] = {{"0", 1}, {"1", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.doNotTrack);
        server.clear();
        start(program, c.doNotTrack);
        EXPECT_EQ(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, waitMs),
                  c.hits > 0);
        EXPECT_EQ(server.requests().size(), c.hits);
        EXPECT_TRUE(QTest::qWaitFor([&] { return leftovers().isEmpty(); }, 10000))
            << leftovers().join(u' ').toStdString();
        TearDown();
    }
}

// The session ending or a service manager stopping the program quits it as Quit does: the
// hit in flight is cancelled at once.
TEST_F(UsagePingE2E, TerminationSignalsQuitCleanly)
{
    server.setSilent(true); // the hit waits
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        server.clear();
        start(program, "");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, 15000));
        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(app.processId()), signal);
        ASSERT_TRUE(ended(10000));
        // Not the rest of the hit's time-out.
        EXPECT_LT(clock.elapsed(), 1500);
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(app.exitCode(), 0);
        EXPECT_EQ(leftovers(), QStringList());
    }
}

// Run by tests/support/silent-dns.sh: the site's name is asked of a name server on
// 127.0.0.1 that never answers. Quit during the usage hit's lookup ends the program at
// once, and About waits no longer than its two downloads' bounds.
class SilentNameServerE2E : public UsagePingE2E
{
protected:
    void SetUp() override
    {
        if (!SilentNameServer::available())
            GTEST_SKIP() << "run by silent-dns.sh only";
        UsagePingE2E::SetUp();
        dns.start();
    }
    SilentNameServer dns;
    const QString site = QStringLiteral("https://www.tavelorn-tools.test");
};

TEST_F(SilentNameServerE2E, NeitherQuitNorAboutWaitsForTheLookup)
{
    start(program, "", site);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dns.queries() > 0; }, 15000)) << "no lookup";
    QElapsedTimer clock;
    clock.start();
    click(369, 575); // Quit
    ASSERT_TRUE(ended(15000));
    const qint64 quit = clock.elapsed();
    EXPECT_LT(quit, 1000);
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_EQ(leftovers(), QStringList());

    start(program, "", site);
    clock.restart();
    const int before = dns.queries();
    click(24, 575); // About: two downloads of the update information
    QProcess wait;
    wait.start(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--pid"), QString::number(app.processId()), QStringLiteral("--name"),
                QStringLiteral("^About$")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return wait.state() == QProcess::NotRunning; }, 30000));
    const qint64 about = clock.elapsed();
    EXPECT_LT(about, 2 * 2000 + 1500);
    std::printf("queries %d then %d; ", before, dns.queries());
    std::printf("Quit took %lld ms, About %lld ms\n", static_cast<long long>(quit),
                static_cast<long long>(about));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: %s TAVELORN\n", argv[0]);
        return 2;
    }
    program = QString::fromLocal8Bit(argv[1]);
    return RUN_ALL_TESTS();
}
