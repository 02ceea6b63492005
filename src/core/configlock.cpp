#include "configlock.h"

#include "apperror.h"
#include "safefile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelorn {

namespace {

enum class LockResult
{
    Locked,
    Unsupported, // the file system or the descriptor's access mode allows no such lock
    TimedOut
};

// Polls for the lock: an OFD lock wait cannot be bounded in time, and a peer that hangs
// (a dead NFS server) must not hang this program for good. The polls come often, so that
// a writer saving again and again cannot keep the others out.
LockResult lockWithin(int fd, short type, const QDeadlineTimer& deadline)
{
    struct flock fl
    {
    };
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    unsigned long pauseMs = 1;
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &fl) == 0)
            return LockResult::Locked;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EACCES)
            return LockResult::Unsupported; // EBADF (read-only descriptor), ENOLCK, EINVAL
        if (deadline.hasExpired())
            return LockResult::TimedOut;
        QThread::msleep(std::min<unsigned long>(
            pauseMs, static_cast<unsigned long>(qMax<qint64>(1, deadline.remainingTime()))));
        pauseMs = std::min<unsigned long>(pauseMs * 2, 2);
    }
}

int openLockFile(const QByteArray& lockPath, const QByteArray& filePath)
{
    constexpr int flags = O_RDWR | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(lockPath.constData(), flags | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) {
        // Whoever may write the file may lock it; the umask keeps its say.
        struct stat st;
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::stat(filePath.constData(), &st) == 0)
            (void)::fchmod(fd, (st.st_mode & 0666) & ~mask);
        else
            (void)::fchmod(fd, 0666 & ~mask);
        return fd;
    }
    if (errno != EEXIST)
        return -1;
    fd = ::open(lockPath.constData(), flags);
    if (fd < 0)
        fd = ::open(lockPath.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    return fd;
}

[[noreturn]] void throwLocked(const QString& path)
{
    throw AppError(
        QStringLiteral("Le fichier %1 est verrouillé par un autre programme").arg(path));
}

} // namespace

ConfigFileLock::ConfigFileLock(const QString& path, Access access)
{
    const QString target = resolvedFilePath(path);
    const QByteArray file = QFile::encodeName(target);
    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray lockPath =
        file.left(slash + 1) + '.' + file.mid(slash + 1) + QByteArrayLiteral(".lock");
    const short type = access == Access::Write ? F_WRLCK : F_RDLCK;
    const QDeadlineTimer deadline(kWaitMilliseconds);

    m_lockFileFd = openLockFile(lockPath, file);
    if (m_lockFileFd >= 0) {
        const LockResult r = lockWithin(m_lockFileFd, type, deadline);
        if (r == LockResult::TimedOut) {
            release();
            throwLocked(path);
        }
        if (r == LockResult::Unsupported)
            release();
    }

    // The file itself, for peers that could not create the lock file. A writer that
    // replaced the file moved the name on: lock the file the name holds now.
    const int fileFlags = (access == Access::Write ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(file.constData(), fileFlags);
        if (fd < 0)
            break; // missing, or not ours to write: the write itself will say so
        struct stat held, named;
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);
            break;
        }
        const LockResult r = lockWithin(fd, type, deadline);
        if (r == LockResult::TimedOut) {
            ::close(fd);
            release();
            throwLocked(path);
        }
        if (r == LockResult::Unsupported) {
            ::close(fd);
            break;
        }
        if (::stat(file.constData(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino) {
            m_fileFd = fd;
            break;
        }
        ::close(fd);
    }

    if (access == Access::Write) {
        if (recoverInterruptedWrite(target) != 0) {
            release();
            throw AppError(QStringLiteral("Impossible d'écrire dans %1").arg(path));
        }
    } else {
        m_oldContent = tavelorn::contentBeforeInterruptedWrite(target);
    }
}

ConfigFileLock::~ConfigFileLock()
{
    release();
}

void ConfigFileLock::release()
{
    // Closing the descriptions releases their locks.
    if (m_fileFd >= 0)
        ::close(std::exchange(m_fileFd, -1));
    if (m_lockFileFd >= 0)
        ::close(std::exchange(m_lockFileFd, -1));
}

} // namespace tavelorn
