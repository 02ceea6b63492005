#pragma once

#include <QtGlobal>

#include <functional>

class QString;
class QWidget;

namespace tavelorn {

// The guard that every event handler of every window runs in.
//
// An error escaping a handler ends it, resets the busy cursor and is shown in the error
// box; the program goes on. A handler run while another one runs at the same event-loop
// level (a control that the outer handler set ran its own handler) is nested: its error
// ends the outer handler too, at the outer handler's next nested() step, and the handlers
// that would still run before that step are skipped. Errors never unwind through Qt's
// signal machinery. A handler run inside a modal dialog's event loop is outermost again:
// that dialog reports its own errors.
//
// A window holds one guard and runs each handler body through run():
//
//     void TfrmX::ListBoxClick()
//     {
//         m_guard.run([this] {
//             HandlerGuard::nested([&] { list->setCurrentRow(0); }); // runs the list's handler
//             ... // not reached when the list's handler failed
//         });
//     }
class HandlerGuard
{
public:
    // window: the parent of the error box. finish, when given, runs once the outermost
    // handler that ran through this guard (itself or nested) ends, failed or not; the
    // main window renders its preview there. An error it raises is shown unless the
    // handler already failed.
    explicit HandlerGuard(QWidget* window, std::function<void()> finish = {});
    ~HandlerGuard();
    Q_DISABLE_COPY_MOVE(HandlerGuard)

    // Runs one handler's body under the rules above.
    void run(const std::function<void()>& body);

    // Runs step, a part of a handler that may run other handlers (setting a control whose
    // change runs its handler, or calling a handler directly), then ends the calling
    // handler when one of them failed.
    template <class Step> static void nested(Step&& step)
    {
        step();
        endIfNestedFailed();
    }

    // Ends the calling handler when a handler nested in it failed.
    static void endIfNestedFailed();

    // True while a handler runs at the current event-loop level.
    static bool running();

private:
    QWidget* m_window;
    std::function<void()> m_finish;
};

// The error box: title "Corvandel", error icon, OK, the full-stop rule applied.
void showErrorBox(QWidget* parent, const QString& message);

} // namespace tavelorn
