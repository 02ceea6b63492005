#include "handlerguard.h"

#include "apperror.h"
#include "apptitle.h"
#include "busycursor.h"
#include "windowplacement.h"

#include <QMessageBox>
#include <QString>
#include <QThread>

#include <algorithm>
#include <optional>
#include <vector>

namespace tavelorn {

namespace {

// Thrown by endIfNestedFailed() to unwind the outer handler's own code. Not a
// std::exception, so that a body catching those does not swallow it.
struct NestedFailure
{
};

// One outermost handler and the handlers nested in it. GUI thread only.
struct Frame
{
    int loopLevel;
    std::optional<QString> error;      // the first error of a nested handler
    std::vector<HandlerGuard*> guards; // whose finish runs when the frame ends
};

std::vector<Frame>& frames()
{
    static std::vector<Frame> stack;
    return stack;
}

int loopLevel()
{
    return QThread::currentThread()->loopLevel();
}

Frame* currentFrame()
{
    auto& stack = frames();
    if (stack.empty() || stack.back().loopLevel != loopLevel())
        return nullptr;
    return &stack.back();
}

// Runs f; returns the message of an error escaping it.
template <class F> std::optional<QString> capture(F&& f)
{
    try {
        f();
    } catch (const NestedFailure&) {
        return QString(); // the frame holds the nested handler's error
    } catch (const AppError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
    return std::nullopt;
}

} // namespace

HandlerGuard::HandlerGuard(QWidget* window, std::function<void()> finish)
    : m_window(window), m_finish(std::move(finish))
{
}

HandlerGuard::~HandlerGuard()
{
    for (Frame& frame : frames())
        std::erase(frame.guards, this);
}

void HandlerGuard::run(const std::function<void()>& body)
{
    if (Frame* frame = currentFrame()) {
        // Nested: an earlier nested error is ending the outer handler; skip this one.
        if (frame->error)
            return;
        if (m_finish && std::ranges::find(frame->guards, this) == frame->guards.end())
            frame->guards.push_back(this);
        std::optional<QString> error = capture(body);
        // The frame may have moved while body ran (a modal loop pushes its own frames).
        frame = currentFrame();
        if (error && frame && !frame->error)
            frame->error = std::move(error);
        return;
    }

    frames().push_back(Frame{loopLevel(), {}, {}});
    if (m_finish)
        frames().back().guards.push_back(this);
    std::optional<QString> error = capture(body);
    // A nested handler's error ended the body, or would have had the body asked.
    if (frames().back().error)
        error = frames().back().error;
    // The preview and the like are brought up to date whatever happened.
    for (std::size_t i = 0; i < frames().back().guards.size(); ++i) {
        HandlerGuard* guard = frames().back().guards[i];
        std::optional<QString> finishError = capture(guard->m_finish);
        if (!error)
            error = std::move(finishError);
    }
    frames().pop_back();
    if (error) {
        BusyCursor::resetAll();
        showErrorBox(m_window, *error);
    }
}

void HandlerGuard::endIfNestedFailed()
{
    if (const Frame* frame = currentFrame(); frame && frame->error)
        throw NestedFailure{};
}

bool HandlerGuard::running()
{
    return currentFrame() != nullptr;
}

void showErrorBox(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, appTitle(), errorBoxText(message), QMessageBox::Ok,
                    parent);
    centreOnParent(&box);
    box.exec();
}

} // namespace tavelorn
