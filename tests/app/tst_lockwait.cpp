// While another process holds the writers' lock on Config.ini, a save from the window
// keeps the window painting and its timers running, names the holder after half a second
// and lets the user give up.

#include "apperror.h"
#include "configstore.h"
#include "filetransaction.h"
#include "lockwaitprompt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>

#include <sys/wait.h>
#include <unistd.h>

using namespace tavelorn;

namespace {

class Probe : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::white);
    }
};

TEST(LockWait, TheWindowPaintsNamesTheHolderAndCancels)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Config.ini"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[SystemInfo]\nNbItems=0\n");
    }
    // Another process takes the lock and keeps it until the pipe closes.
    int ready[2], hold[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(hold), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        close(hold[1]);
        QCoreApplication::setApplicationName(QStringLiteral("other-writer"));
        const FileTransaction tx(file, FileTransaction::Mode::Write);
        (void)!write(ready[1], "x", 1);
        char c;
        (void)!read(hold[0], &c, 1);
        _exit(0);
    }
    close(hold[0]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);

    Probe window;
    window.resize(200, 100);
    window.show();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        window.update();
    });
    ticker.start(20);

    ConfigStore store(file);
    store.setLockWaitObserver(LockWaitPrompt(&window));
    QString shownText;
    int ticksWhenShown = -1, paintsWhenShown = -1;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* dialog =
            window.findChild<QProgressDialog*>(QString::fromLatin1(LockWaitPrompt::kDialogName));
        if (!dialog || !dialog->isVisible() || ticksWhenShown >= 0)
            return;
        ticksWhenShown = ticks;
        paintsWhenShown = window.paints;
        if (auto* label = dialog->findChild<QLabel*>())
            shownText = label->text();
        // The user's click on Cancel.
        if (auto* button = dialog->findChild<QPushButton*>())
            button->click();
    });
    watcher.start(10);

    int cause = 0;
    try {
        store.storeProfile(QStringLiteral("P"), Profile{});
    } catch (const AppError& e) {
        cause = e.cause();
    }
    close(hold[1]);
    waitpid(holder, nullptr, 0);

    EXPECT_EQ(cause, ECANCELED) << "the save was given up";
    // Half a second of waiting at 20 ms a tick: the event loop ran all along.
    EXPECT_GE(ticksWhenShown, 10);
    EXPECT_GE(paintsWhenShown, 5);
    EXPECT_TRUE(shownText.contains(QStringLiteral("other-writer"))) << shownText.toStdString();
    EXPECT_TRUE(shownText.contains(QStringLiteral("(") + QString::number(holder) + u')'))
        << shownText.toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
