#include "modalwatchdog.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const char* const ClaimedProperty = "tavelornTestClaimed";
constexpr int ClaimedGraceMs = 60000;

QString describe(QWidget* w)
{
    QString text = QString::fromLatin1(w->metaObject()->className());
    if (!w->objectName().isEmpty())
        text += QStringLiteral(" ") + w->objectName();
    text += QStringLiteral(" \"") + w->windowTitle() + QStringLiteral("\"");
    if (auto* box = qobject_cast<QMessageBox*>(w))
        text += QStringLiteral(": ") + box->text();
    return text;
}

} // namespace

ModalWatchdog::ModalWatchdog(int graceMs, QObject* parent) : QObject(parent), m_graceMs(graceMs)
{
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatchdog::check);
    m_timer.start();
}

void ModalWatchdog::claim(QWidget* window)
{
    if (window)
        window->setProperty(ClaimedProperty, true);
}

void ModalWatchdog::check()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) {
        m_seen.clear();
        return;
    }
    if (modal != m_seen) {
        m_seen = modal;
        m_since.start();
        return;
    }
    const bool claimed = modal->property(ClaimedProperty).toBool();
    if (m_since.elapsed() < (claimed ? ClaimedGraceMs : m_graceMs))
        return;
    const QString what = describe(modal);
    m_fired << what;
    m_seen.clear();
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->done(QDialog::Rejected);
    else
        modal->close();
    ADD_FAILURE() << (claimed ? "a modal window the test drove stayed open: "
                              : "an unexpected modal window opened: ")
                  << what.toStdString();
}

int runWidgetTests(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ModalWatchdog watchdog;
    return RUN_ALL_TESTS();
}
