#include "lockwaitprompt.h"

#include "windowplacement.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

namespace {
// No call for this long: the wait is over, the dialog goes.
constexpr int kGoneAfterMs = 300;
} // namespace

struct LockWaitPrompt::State
{
    QPointer<QWidget> parent;
    QPointer<QProgressDialog> dialog;
    QTimer* gone = nullptr;
    bool cancelled = false;

    ~State()
    {
        delete dialog.data();
        delete gone;
    }

    void hide()
    {
        if (dialog)
            dialog->hide();
        cancelled = false;
    }
};

LockWaitPrompt::LockWaitPrompt(QWidget* parent) : m_state(std::make_shared<State>())
{
    m_state->parent = parent;
}

bool LockWaitPrompt::operator()(const QString& holder, qint64 waitedMs, int pauseMs) const
{
    State& s = *m_state;
    if (!s.gone) {
        s.gone = new QTimer;
        s.gone->setSingleShot(true);
        QObject::connect(s.gone, &QTimer::timeout, s.gone,
                         [state = m_state.get()] { state->hide(); });
    }
    s.gone->start(kGoneAfterMs);
    const bool shown = waitedMs >= kShowAfterMs;
    if (shown) {
        if (!s.dialog) {
            s.dialog = new QProgressDialog(s.parent);
            s.dialog->setObjectName(QString::fromLatin1(kDialogName));
            s.dialog->setWindowTitle(QStringLiteral("Config.ini"));
            s.dialog->setAccessibleName(QStringLiteral("Waiting for Config.ini"));
            s.dialog->setRange(0, 0);
            s.dialog->setCancelButtonText(QStringLiteral("Cancel"));
            s.dialog->setWindowModality(Qt::ApplicationModal);
            s.dialog->setMinimumDuration(0);
            s.dialog->setAutoReset(false);
            s.dialog->setAutoClose(false);
            QObject::connect(s.dialog, &QProgressDialog::canceled, s.dialog,
                             [state = m_state.get()] { state->cancelled = true; });
        }
        // The holder's own words are data: joined, never formatted.
        const QString who = holder.isEmpty() ? QStringLiteral("another program") : holder;
        s.dialog->setLabelText(QStringLiteral("Config.ini is being saved by ") + who +
                               QStringLiteral(".\nWaiting for it to finish…"));
        if (!s.dialog->isVisible()) {
            s.cancelled = false;
            s.dialog->reset();
            tavelorn::centreOnParent(s.dialog);
            s.dialog->show();
        }
    }
    // Paint and timers go on meanwhile; clicks reach only the dialog once it shows.
    QEventLoop loop;
    QTimer::singleShot(pauseMs, &loop, &QEventLoop::quit);
    loop.exec(shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    if (s.cancelled || (s.dialog && s.dialog->wasCanceled())) {
        s.hide();
        return false;
    }
    return true;
}
