#include "quitsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace tavelorn {

namespace {

int g_signalPipe[2] = {-1, -1};

// Only what is safe in a signal handler: one write, errno kept.
void onSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void quitOnTerminationSignals()
{
    if (g_signalPipe[0] >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char bytes[16];
        while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // The handler goes after one signal: a program too busy to quit can still be ended.
    action.sa_flags = static_cast<int>(SA_RESTART | SA_RESETHAND); // SA_RESETHAND is the sign bit
    for (const int signal : {SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

} // namespace tavelorn
