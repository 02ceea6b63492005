#include "filetransaction.h"

#include "apperror.h"
#include "atomicreplace.h"
#include "coretesting.h"
#include "fileio.h"
#include "filejournal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <atomic>

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace tavelorn {

using fileio::Fd;

namespace {

std::atomic<bool> g_unnamedTempFiles{true};

constexpr int kFirstPauseMs = 2;
constexpr int kLongestPauseMs = 100;
// A reader that sees the file change under it this many times in a row gives up.
constexpr int kReadAttempts = 60;
// The holder's note is read back as untrusted text: this much of it at most.
constexpr qsizetype kHolderNoteSize = 512;
constexpr qsizetype kHolderFieldLength = 64;

enum class LockResult
{
    Locked,
    Unsupported, // the file system allows no such lock
    TimedOut,
    Cancelled,
};

// The rights of the lock file: read and write for each class that may write ref.
mode_t lockModeFor(const struct stat& ref)
{
    mode_t mode = 0;
    if (ref.st_mode & S_IWUSR)
        mode |= S_IRUSR | S_IWUSR;
    if (ref.st_mode & S_IWGRP)
        mode |= S_IRGRP | S_IWGRP;
    if (ref.st_mode & S_IWOTH)
        mode |= S_IROTH | S_IWOTH;
    return mode | S_IRUSR | S_IWUSR;
}

// A lock file every writer of ref judges alike: made by one of them, no wider open.
bool trustedLockFile(const struct stat& ls, const struct stat& ref)
{
    return S_ISREG(ls.st_mode) && ls.st_nlink == 1 &&
           (ls.st_uid == ref.st_uid || fileio::userMayWrite(ls.st_uid, ref)) &&
           (ls.st_mode & 07777 & ~lockModeFor(ref)) == 0;
}

// The lock file beside the file, created when missing; -1 when none can be had.
int acquireLockFile(const QByteArray& lockPath, const struct stat& ref)
{
    constexpr int kFlags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    for (int attempt = 0; attempt < 3; ++attempt) {
        Fd fd(::open(lockPath.constData(), kFlags | O_CREAT | O_EXCL, 0600));
        if (fd.valid()) {
            // The mode is set, not asked of open(): the umask is the process's, not ours
            // to change.
            if (::fchown(fd.get(), uid_t(-1), ref.st_gid) != 0) {
                // not in the file's group: the lock file keeps ours
            }
            (void)::fchmod(fd.get(), lockModeFor(ref));
            return fd.release();
        }
        if (errno != EEXIST)
            return -1;
        fd.reset(::open(lockPath.constData(), kFlags));
        QString why;
        struct stat ls;
        if (fd.valid()) {
            if (::fstat(fd.get(), &ls) == 0 && trustedLockFile(ls, ref))
                return fd.release();
            why = QStringLiteral("fichier de verrou qu'aucun rédacteur n'a créé");
        } else if (errno == ENOENT) {
            continue; // removed meanwhile
        } else {
            why = errno == ELOOP ? QStringLiteral("lien symbolique") : systemErrorText(errno);
        }
        reportUntrustedFile(QFile::decodeName(lockPath), why);
        if (::unlink(lockPath.constData()) != 0)
            return -1;
    }
    return -1;
}

QString cleanField(QByteArrayView raw)
{
    QString text = QString::fromUtf8(raw.first(std::min(raw.size(), kHolderFieldLength * 4)))
                       .left(kHolderFieldLength);
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Other_Format)
            c = u'?';
    return text;
}

// "user@host, program (pid)" from the holder's note, read as untrusted text.
QString holderOf(int lockFd)
{
    char buf[kHolderNoteSize];
    const ssize_t n = ::pread(lockFd, buf, sizeof buf, 0);
    if (n <= 0)
        return {};
    QByteArrayView note(buf, qsizetype(n));
    if (const qsizetype nul = note.indexOf('\0'); nul >= 0)
        note = note.first(nul);
    QList<QByteArrayView> fields;
    while (fields.size() < 4) {
        const qsizetype eol = note.indexOf('\n');
        if (eol < 0)
            break;
        fields.append(note.first(eol));
        note = note.sliced(eol + 1);
    }
    if (fields.size() < 4)
        return {};
    return cleanField(fields[0]) + u'@' + cleanField(fields[1]) + QStringLiteral(", ") +
           cleanField(fields[2]) + QStringLiteral(" (") + cleanField(fields[3]) + u')';
}

void writeHolderNote(int lockFd)
{
    QByteArray user;
    if (const passwd* pw = ::getpwuid(::geteuid())) // NOLINT(concurrency-mt-unsafe)
        user = pw->pw_name;
    else
        user = QByteArray::number(quint64(::geteuid()));
    char host[256] = {};
    (void)::gethostname(host, sizeof host - 1);
    QByteArray program = QCoreApplication::applicationName().toUtf8();
    if (program.isEmpty())
        program = "?";
    const QByteArray note =
        user.left(kHolderFieldLength) + '\n' + QByteArray(host).left(kHolderFieldLength) + '\n' +
        program.left(kHolderFieldLength) + '\n' + QByteArray::number(qint64(::getpid())) + '\n';
    if (fileio::writeAllAt(lockFd, note.constData(), note.size(), 0) == 0 &&
        ::ftruncate(lockFd, off_t(note.size())) != 0) {
        // an older, longer note keeps its tail: the reader stops at the fourth line
    }
}

// Polls for the lock: an OFD lock wait cannot be bounded in time, and a peer that hangs
// (a dead NFS server) must not hang this program for good.
LockResult lockWithin(int fd, bool holderNote, const LockWaitObserver& observer)
{
    struct flock fl
    {
    };
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    QElapsedTimer waited;
    waited.start();
    int pauseMs = kFirstPauseMs;
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &fl) == 0)
            return LockResult::Locked;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EACCES)
            return LockResult::Unsupported; // ENOLCK, EINVAL
        const qint64 elapsed = waited.elapsed();
        if (elapsed >= FileTransaction::kWaitMilliseconds)
            return LockResult::TimedOut;
        const int pause =
            int(std::min<qint64>(pauseMs, FileTransaction::kWaitMilliseconds - elapsed));
        if (observer) {
            if (!observer(holderNote ? holderOf(fd) : QString(), elapsed, pause))
                return LockResult::Cancelled;
        } else {
            QThread::msleep(static_cast<unsigned long>(pause));
        }
        pauseMs = std::min(pauseMs * 2, kLongestPauseMs);
    }
}

bool refusesNewFiles(int err)
{
    return err == EACCES || err == EPERM || err == EROFS || err == ENOSPC || err == EDQUOT;
}

QString lockedMessage(const QString& path, const QString& holder)
{
    QString text = QStringLiteral("Le fichier ") + path +
                   QStringLiteral(" est verrouillé par un autre programme");
    if (!holder.isEmpty())
        text += QStringLiteral(" (") + holder + u')';
    return text;
}

} // namespace

namespace TestHooks {

void setUnnamedTempFilesEnabled(bool enabled)
{
    g_unnamedTempFiles = enabled;
}

} // namespace TestHooks

FileTransaction::FileTransaction(const QString& path, Mode mode, LockWaitObserver observer)
    : m_path(path), m_mode(mode), m_observer(std::move(observer))
{
    if (path.isEmpty())
        m_resolveError = ENOENT;
    else if (path.contains(QChar(0))) // the file system would end the path at the NUL
        m_resolveError = EINVAL;
    else
        m_resolveError = safelinks::resolveTarget(QFile::encodeName(path), m_target);
    if (m_mode == Mode::Read || m_resolveError)
        return;
    if (m_mode == Mode::Write || (m_target.exists && S_ISREG(m_target.st.st_mode) &&
                                  filejournal::anyJournalPresent(m_target)))
        lock();
}

FileTransaction::~FileTransaction()
{
    release();
}

void FileTransaction::release()
{
    // Closing the description releases its lock.
    if (m_lockFd >= 0)
        ::close(std::exchange(m_lockFd, -1));
    m_locked = false;
}

void FileTransaction::lock()
{
    if (m_locked)
        return;
    const QByteArray file = m_target.path;
    const QByteArray folder = fileio::folderOf(file);
    const QByteArray lockPath = folder + "/." + fileio::nameOf(file) + ".lock";
    struct stat ref;
    if (m_target.exists) {
        ref = m_target.st;
    } else if (::stat(folder.constData(), &ref) != 0) {
        m_locked = true; // no folder: the write will say so
        return;
    }

    QString holder;
    const auto waitFor = [&](int fd, bool note) {
        const LockResult r = lockWithin(fd, note, m_observer);
        if (r == LockResult::TimedOut || r == LockResult::Cancelled) {
            if (note)
                holder = holderOf(fd);
            ::close(fd);
            release();
            if (r == LockResult::Cancelled)
                throw AppError(QStringLiteral("Attente du verrou de ") + m_path +
                                   QStringLiteral(" abandonnée"),
                               ECANCELED);
            throw AppError(lockedMessage(m_path, holder), EWOULDBLOCK);
        }
        return r;
    };

    // A picture gets no lock file beside it: the export writes the files it names, no
    // other; its rare in-place rewrites lock the picture itself.
    const int lockFd = m_mode == Mode::Write ? acquireLockFile(lockPath, ref) : -1;
    if (lockFd >= 0) {
        if (waitFor(lockFd, true) == LockResult::Locked) {
            m_lockFd = lockFd;
            writeHolderNote(lockFd);
        } else {
            ::close(lockFd);
        }
    }
    // No lock file to be had: the file itself (as a Windows server enforces it, a peer
    // reading it then may fail). A writer that replaced the file moved the name on: lock
    // the file the name holds now.
    for (int attempt = 0; m_lockFd < 0 && m_target.exists && attempt < 100; ++attempt) {
        const int fd = ::open(file.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            break; // missing, or not ours to write: the write itself will say so
        struct stat held, named;
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) ||
            waitFor(fd, false) != LockResult::Locked) {
            ::close(fd);
            break;
        }
        if (::lstat(file.constData(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino) {
            m_lockFd = fd;
            break;
        }
        ::close(fd);
    }
    m_locked = true;

    // Under the lock: the file as the last writer left it.
    struct stat now;
    if (::lstat(file.constData(), &now) == 0 && !S_ISLNK(now.st_mode)) {
        m_target.st = now;
        m_target.exists = true;
    } else if (errno == ENOENT) {
        m_target.exists = false;
    }
    if (const int err = filejournal::recover(m_target)) {
        release();
        throw AppError(writeErrorMessage(m_path, err), err);
    }
    if (m_target.exists)
        (void)::lstat(file.constData(), &m_target.st);
}

QByteArray FileTransaction::read(qint64 maxSize)
{
    // A path that leads nowhere reads as a missing file, as it always did; a planted link
    // is no file of ours to show.
    if (m_resolveError && m_resolveError != kErrRefusedLink)
        return {};
    if (m_resolveError)
        throw AppError(QStringLiteral("Impossible d'ouvrir le fichier \"") + m_path +
                           QStringLiteral("\". ") + systemErrorText(m_resolveError),
                       m_resolveError);
    const QByteArray file = m_target.path;
    int pauseMs = kFirstPauseMs;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        // An absent or unreadable file reads as empty; so does anything but a regular
        // file (a pipe would block the program).
        const Fd fd(::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat before, after;
        if (!fd.valid() || ::fstat(fd.get(), &before) != 0 || !S_ISREG(before.st_mode))
            return {};
        const QByteArray journalsBefore = filejournal::journalSignature(m_target);
        // A rewrite in place under way, or killed: its journal holds the whole old version.
        if (std::optional<QByteArray> old = filejournal::contentBeforeRewrite(m_target, fd.get()))
            return std::move(*old);
        const qint64 limit = std::min<qint64>(before.st_size, maxSize) + 1;
        QByteArray data(qsizetype(limit), Qt::Uninitialized);
        fileio::adviseHugePages(data.data(), size_t(data.size()));
        qsizetype total = 0;
        while (total < data.size()) {
            const ssize_t n =
                ::pread(fd.get(), data.data() + total, size_t(data.size() - total), total);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            total += n;
            // Grew meanwhile: read on, up to the bound.
            if (total == data.size() && total <= maxSize)
                data.resize(qsizetype(std::min<qint64>(qint64(total) * 2, maxSize + 1)));
        }
        data.truncate(total);
        if (::fstat(fd.get(), &after) == 0 && after.st_size == before.st_size &&
            after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
            after.st_mtim.tv_nsec == before.st_mtim.tv_nsec &&
            after.st_ctim.tv_sec == before.st_ctim.tv_sec &&
            after.st_ctim.tv_nsec == before.st_ctim.tv_nsec &&
            filejournal::journalSignature(m_target) == journalsBefore)
            return data;
        QThread::msleep(static_cast<unsigned long>(pauseMs));
        pauseMs = std::min(pauseMs * 2, kLongestPauseMs);
    }
    throw AppError(QStringLiteral("Le fichier ") + m_path +
                       QStringLiteral(" change sans cesse : impossible de le lire en entier"),
                   EAGAIN);
}

int FileTransaction::write(QByteArrayView bytes)
{
    if (m_mode == Mode::Read)
        return EBADF;
    if (m_resolveError)
        return m_resolveError;
    safelinks::Target& t = m_target;
    if (t.exists) {
        if (S_ISDIR(t.st.st_mode))
            return EISDIR;
        if (!S_ISREG(t.st.st_mode))
            return kErrNotRegularFile;
        // Renaming over a read-only file would succeed where writing into it is refused.
        if (::faccessat(AT_FDCWD, t.path.constData(), W_OK, AT_EACCESS) != 0)
            return errno;
    }
    // O_PATH: a folder we may write but not list is still a folder to write in.
    const Fd folder(::open(fileio::folderOf(t.path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return errno;
    atomicreplace::removeStaleTempFiles(t, folder.get());
    const auto inPlace = [&](int cause) {
        try {
            lock();
        } catch (const AppError& e) {
            return e.cause() ? e.cause() : EWOULDBLOCK;
        }
        return filejournal::rewriteInPlace(t, bytes, cause);
    };
    // Every name of a hard-linked file must see the new content.
    if (t.exists && t.st.st_nlink > 1)
        return inPlace(0);

    bool unnamed = g_unnamedTempFiles;
    int err = atomicreplace::replaceFile(t, folder.get(), bytes, unnamed);
    // File systems without unnamed files, or without /proc to name one.
    if (unnamed && (err == EOPNOTSUPP || err == EISDIR || err == EINVAL || err == ENOENT)) {
        unnamed = false;
        err = atomicreplace::replaceFile(t, folder.get(), bytes, unnamed);
    }
    // A folder that refuses new files, or a disk without room for a second copy: the
    // file itself may still take the new content.
    if (err == atomicreplace::kRewriteInPlace || (t.exists && refusesNewFiles(err)))
        return inPlace(err == atomicreplace::kRewriteInPlace ? 0 : err);
    if (err == 0 && m_lockFd >= 0) {
        // The first save made the file: its lock file takes the file's rights.
        struct stat made, ls;
        if (::lstat(t.path.constData(), &made) == 0 && ::fstat(m_lockFd, &ls) == 0 &&
            ls.st_uid == ::geteuid() && (ls.st_mode & 07777) != lockModeFor(made))
            (void)::fchmod(m_lockFd, lockModeFor(made));
    }
    return err;
}

} // namespace tavelorn
