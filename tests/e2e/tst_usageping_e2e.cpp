// The real program, started in a virtual X server, sends one usage hit per start to a
// local server, leaves no file behind, and sends nothing with DO_NOT_TRACK=1.
// Usage: e2e_tst_usageping TAVELORN   (inside an X server, with xdotool on the path)
#include "localhttpserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
    void start(const QString& exe, const QByteArray& doNotTrack)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("TMPDIR"), tmpDir());
        // Else Qt makes its runtime folder in TMPDIR.
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.insert(QStringLiteral("TAVELORN_SITE_URL"), server.baseUrl());
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
    }

    QString tmpDir() const { return home.filePath(QStringLiteral("tmp")); }
    QStringList leftovers() const
    {
        return QDir(tmpDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QTemporaryDir home;
    TLocalHttpServer server;
    QProcess app;
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
        ASSERT_TRUE(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, 15000));
        EXPECT_EQ(server.requests().front().target, TrackingPath);
        EXPECT_TRUE(QTest::qWaitFor([&] { return leftovers().isEmpty(); }, 10000))
            << leftovers().join(u' ').toStdString();
        QTest::qWait(500);
        EXPECT_EQ(server.requests().size(), 1);
        TearDown();
    }
}

TEST_F(UsagePingE2E, DoNotTrackSendsNothing)
{
    start(program, "1");
    QTest::qWait(1500);
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(leftovers(), QStringList());
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
