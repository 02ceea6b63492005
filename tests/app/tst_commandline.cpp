// Runs the real tavelorn with questions that need no window, and no display at all.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

// Failures show texts as text.
void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

struct RunResult
{
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

RunResult runProgram(const QStringList& args, const QString& folder)
{
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/xdg"));
    proc.setProcessEnvironment(env);
    proc.setWorkingDirectory(folder);
    proc.start(QStringLiteral(TAVELORN_PROGRAM), args);
    RunResult r;
    // A window that opened after all would wait for ever: end it and fail.
    r.finished = proc.waitForFinished(30000);
    if (!r.finished) {
        proc.kill();
        proc.waitForFinished(5000);
    }
    r.exitCode = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -1;
    r.out = QString::fromLocal8Bit(proc.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(proc.readAllStandardError());
    return r;
}

TEST(CommandLine, HelpAndVersionNeedNoDisplay)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A file of the option's name does not turn the option into a configuration file.
    for (const char* name : {"--help", "--version"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[SystemInfo]\nNbItems=0\n");
    }
    struct Case
    {
        QString arg;
        QString outStart;
    };
    const Case cases[] = {
        {QStringLiteral("--help"), QStringLiteral("Usage: tavelorn [CONFIG-FILE]\n")},
        {QStringLiteral("--version"), QStringLiteral("tavelorn " TAVELORN_VERSION "\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arg.toStdString());
        const RunResult r = runProgram({c.arg}, dir.path());
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith(c.outStart)) << r.out.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
    const RunResult version = runProgram({QStringLiteral("--version")}, dir.path());
    EXPECT_EQ(version.out, QStringLiteral("tavelorn " TAVELORN_VERSION "\n"));
    // Nothing was made for a configuration file.
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("xdg"))));
}

// Any other command line is the window's: without a display it fails at once, which shows
// that the answers above came before the window system was reached.
TEST(CommandLine, OtherCommandLinesNeedTheDisplay)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QStringList& args :
         {QStringList{"--help", "--version"}, QStringList{"--versions"}, QStringList{}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const RunResult r = runProgram(args, dir.path());
        ASSERT_TRUE(r.finished);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
