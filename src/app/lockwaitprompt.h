#pragma once

#include <QPointer>
#include <QString>

#include <memory>

class QProgressDialog;
class QTimer;
class QWidget;

// What the window does while a save waits for another writer's lock on Config.ini: it
// keeps painting and running its timers (user input waits), and after half a second
// shows who holds the lock in a dialog that offers to give up. An observer for
// ConfigStore::setLockWaitObserver; copies share one dialog.
class LockWaitPrompt
{
public:
    // How long a wait lasts before the dialog shows.
    static constexpr int kShowAfterMs = 500;
    // The object name of the dialog, for tests and accessibility tools.
    static constexpr const char* kDialogName = "dlgLockWait";

    explicit LockWaitPrompt(QWidget* parent);

    bool operator()(const QString& holder, qint64 waitedMs, int pauseMs) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
