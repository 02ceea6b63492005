#include "modalwatchdog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

QStringList fired;

// What a click does when it opens a dialog nobody answers: exec() blocks until the
// watchdog closes the window.
template <class Dialog> void execUnexpected(Dialog& dialog)
{
    ModalWatchdog watchdog(100);
    dialog.exec();
    fired = watchdog.fired();
}

void unexpectedMessageBox()
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Corvandel"),
                    QStringLiteral("Impossible d'écrire dans x."), QMessageBox::Ok);
    execUnexpected(box);
}

void unexpectedFileDialog()
{
    QFileDialog dialog(nullptr, QStringLiteral("Save picture"));
    dialog.setObjectName(QStringLiteral("SavePictureDialog"));
    execUnexpected(dialog);
}

TEST(ModalWatchdog, ClosesAnUnexpectedModalWindowAndFailsTheTest)
{
    EXPECT_NONFATAL_FAILURE(unexpectedMessageBox(),
                            "an unexpected modal window opened: QMessageBox \"Corvandel\": "
                            "Impossible d'écrire dans x.");
    EXPECT_EQ(fired.size(), 1);
    EXPECT_NONFATAL_FAILURE(unexpectedFileDialog(),
                            "QFileDialog SavePictureDialog \"Save picture\"");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(ModalWatchdog, LeavesAClaimedWindowToTheTest)
{
    ModalWatchdog watchdog(100);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Corvandel"), QStringLiteral("Delete?"),
                    QMessageBox::Yes | QMessageBox::No);
    // The test step claims the box and answers it well after the grace period.
    QTimer::singleShot(0, &box, [&] {
        ModalWatchdog::claim(&box);
        QTimer::singleShot(500, &box, [&] { box.button(QMessageBox::No)->click(); });
    });
    EXPECT_EQ(box.exec(), QMessageBox::No);
    EXPECT_TRUE(watchdog.fired().isEmpty());
}

} // namespace

int main(int argc, char** argv)
{
    return runWidgetTests(argc, argv);
}
