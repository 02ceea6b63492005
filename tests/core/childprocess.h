#pragma once

// Runs part of a test in a forked child: as the unprivileged user nobody, with a small
// file system of its own, or with a file size limit. What the child finds comes back as
// text; the child's mounts vanish with it.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <string>

#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

struct ChildSetup
{
    // A tmpfs of this many bytes mounted over this folder (needs root).
    QString tmpfsAt;
    qint64 tmpfsBytes = 0;
    // Runs after the mount, with the test's own rights.
    std::function<std::string()> prepare;
    // Then drop to the user nobody; nothing to do when the test runs unprivileged.
    bool unprivileged = false;
    // RLIMIT_FSIZE for the body; -1: none.
    qint64 fileSizeLimit = -1;
};

inline ChildSetup asNobody()
{
    ChildSetup setup;
    setup.unprivileged = true;
    return setup;
}

struct ChildOutcome
{
    std::string skipped; // why the set-up is impossible here
    std::string failure; // what the child found wrong
};

inline uid_t nobodyUid()
{
    const passwd* pw = getpwnam("nobody");
    return pw ? pw->pw_uid : 65534;
}

inline gid_t nobodyGid()
{
    const passwd* pw = getpwnam("nobody");
    return pw ? pw->pw_gid : 65534;
}

// Gives path to nobody when the test runs as root, so that both may work there; false when
// that failed.
[[nodiscard]] inline bool shareWithNobody(const QString& path)
{
    return geteuid() != 0 ||
           lchown(QFile::encodeName(path).constData(), nobodyUid(), nobodyGid()) == 0;
}

// body returns an empty text when all went as expected.
inline ChildOutcome runInChild(const ChildSetup& setup, const std::function<std::string()>& body)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {{}, "pipe failed"};
    const pid_t pid = fork();
    if (pid < 0)
        return {{}, "fork failed"};
    if (pid == 0) {
        close(fds[0]);
        const auto report = [&](char kind, const std::string& text) {
            const std::string message = kind + text;
            (void)!write(fds[1], message.data(), message.size());
            _exit(0);
        };
        if (!setup.tmpfsAt.isEmpty()) {
            const QByteArray at = QFile::encodeName(setup.tmpfsAt);
            const QByteArray options =
                "size=" + QByteArray::number(setup.tmpfsBytes) + ",mode=0777";
            if (geteuid() != 0 || unshare(CLONE_NEWNS) != 0 ||
                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount("tmpfs", at.constData(), "tmpfs", 0, options.constData()) != 0)
                report('S', "cannot mount a small file system here (needs root)");
        }
        if (setup.prepare) {
            const std::string failure = setup.prepare();
            if (!failure.empty())
                report('F', "prepare: " + failure);
        }
        if (setup.unprivileged && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(nobodyGid()) != 0 || setuid(nobodyUid()) != 0)
                report('S', "cannot become nobody");
        }
        if (setup.fileSizeLimit >= 0) {
            signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
            const rlimit limit{rlim_t(setup.fileSizeLimit), rlim_t(setup.fileSizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                report('S', "cannot limit the file size");
        }
        const std::string failure = body();
        report(failure.empty() ? 'P' : 'F', failure);
    }
    close(fds[1]);
    std::string message;
    char buf[512];
    for (;;) {
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n > 0)
            message.append(buf, size_t(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (message.empty())
        return {{}, "the child ended without a result, status " + std::to_string(status)};
    if (message[0] == 'S')
        return {message.substr(1), {}};
    if (message[0] == 'F')
        return {{}, message.substr(1)};
    return {};
}
