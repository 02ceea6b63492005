#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

// Closes any modal window (message box, file dialog, any dialog) that stays up without a
// test step driving it, and fails the running test with what the window showed. A
// synchronous click that opens an unexpected dialog then returns instead of hanging.
class ModalWatchdog : public QObject
{
public:
    // graceMs: how long an unclaimed modal window may stay up.
    explicit ModalWatchdog(int graceMs = 2000, QObject* parent = nullptr);

    // Marks window as driven by the test: it gets a minute before the watchdog steps in.
    static void claim(QWidget* window);

    // What the watchdog closed since it started, one description each.
    const QStringList& fired() const { return m_fired; }

private:
    void check();

    int m_graceMs;
    QTimer m_timer;
    QPointer<QWidget> m_seen;
    QElapsedTimer m_since;
    QStringList m_fired;
};

// Runs the GoogleTest tests of a widget test program under a QApplication with a
// ModalWatchdog.
int runWidgetTests(int argc, char** argv);
