#include "atomicreplace.h"

#include "coretesting.h"
#include "fileio.h"

#include <QCryptographicHash>
#include <QHash>
#include <QRandomGenerator>

#include <atomic>
#include <chrono>
#include <csignal>
#include <mutex>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavelorn::atomicreplace {

using fileio::Fd;

namespace {

constexpr char kTempMarker[] = ".tavelorn-";
// Random letters and digits: about 119 bits, so no file of the user's ever matches.
constexpr qsizetype kRandomLength = 20;
constexpr qsizetype kTagLength = 12;
// Keeps ".<name>.tavelorn-<random>-<tag>" within NAME_MAX.
constexpr qsizetype kMaxNamePart = 200;
// A folder is searched for stale temporary files at most this often.
constexpr auto kStaleScanInterval = std::chrono::seconds(60);

std::atomic<bool> g_stopBeforeRename{false};

QByteArray randomPart();

QByteArray tempPrefix(const QByteArray& targetName)
{
    return '.' + targetName.left(kMaxNamePart) + kTempMarker;
}

// Proves a temporary name ours: the tag, a digest of the random part and the owner,
// is what no name the user chose matches by chance.
QByteArray tagOf(const QByteArray& random, uid_t owner)
{
    const QByteArray text = "tavelorn-temp:" + random + ':' + QByteArray::number(quint64(owner));
    return QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex().left(kTagLength);
}

QByteArray tempName(const QByteArray& targetName)
{
    const QByteArray random = randomPart();
    return tempPrefix(targetName) + random + '-' + tagOf(random, ::geteuid());
}

QByteArray randomPart()
{
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray r;
    r.reserve(kRandomLength);
    for (qsizetype i = 0; i < kRandomLength; ++i)
        r += kChars[QRandomGenerator::system()->bounded(int(sizeof kChars) - 1)];
    return r;
}

bool isRandomChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The random part of a tagged temporary name for targetName, empty when it is none.
QByteArray randomOf(const QByteArray& name, const QByteArray& targetName)
{
    const QByteArray prefix = tempPrefix(targetName);
    if (!name.startsWith(prefix) || name.size() != prefix.size() + kRandomLength + 1 + kTagLength)
        return {};
    QByteArray random = name.mid(prefix.size(), kRandomLength);
    for (const char c : random)
        if (!isRandomChar(c))
            return {};
    if (name.at(prefix.size() + kRandomLength) != '-')
        return {};
    return random;
}

// Whether the scan of this folder is due: a scan on every write would make writing many
// files into one folder quadratic. The path tells apart folders that reuse an inode.
bool scanDue(const QByteArray& folder, const struct stat& fs)
{
    static std::mutex mutex;
    static QHash<QByteArray, std::chrono::steady_clock::time_point> lastScan;
    const std::lock_guard lock(mutex);
    const QByteArray key = QByteArray::number(quint64(fs.st_dev)) + ':' +
                           QByteArray::number(quint64(fs.st_ino)) + ':' + folder;
    const auto now = std::chrono::steady_clock::now();
    const auto it = lastScan.constFind(key);
    if (it != lastScan.cend() && now - *it < kStaleScanInterval)
        return false;
    lastScan.insert(key, now);
    return true;
}

// Gives the unnamed file fd a temporary name in folderFd.
int nameTemp(int folderFd, int fd, const QByteArray& targetName, QByteArray& name)
{
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = tempName(targetName);
        // AT_EMPTY_PATH needs a capability that ordinary users lack; /proc does not.
        if (::linkat(fd, "", folderFd, name.constData(), AT_EMPTY_PATH) == 0 ||
            ::linkat(AT_FDCWD, proc.constData(), folderFd, name.constData(), AT_SYMLINK_FOLLOW) ==
                0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    name.clear();
    return EEXIST;
}

// A temporary file in folderFd for the file targetName: unnamed when the file system
// allows it (name stays empty until nameTemp).
int createTemp(int folderFd, mode_t mode, bool unnamed, const QByteArray& targetName, Fd& fd,
               QByteArray& name)
{
    name.clear();
    if (unnamed) {
        fd.reset(::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        if (!fd.valid())
            return errno;
        // The lock tells a later write's clean-up that this file is alive.
        (void)::flock(fd.get(), LOCK_EX);
        return 0;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = tempName(targetName);
        fd.reset(::openat(folderFd, candidate.constData(),
                          O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, mode));
        if (!fd.valid()) {
            if (errno != EEXIST)
                return errno;
            continue;
        }
        // Between the creation and the lock another writer's clean-up may take the file
        // for a dead writer's: only a name that still holds our locked file is ours.
        (void)::flock(fd.get(), LOCK_EX);
        struct stat mine, named;
        if (::fstat(fd.get(), &mine) == 0 &&
            ::fstatat(folderFd, candidate.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            mine.st_dev == named.st_dev && mine.st_ino == named.st_ino) {
            name = candidate;
            return 0;
        }
    }
    return EEXIST;
}

} // namespace

bool isTempNameFor(const QByteArray& name, const QByteArray& targetName)
{
    return !randomOf(name, targetName).isEmpty();
}

void removeStaleTempFiles(const safelinks::Target& t, int folderFd)
{
    struct stat fs;
    if (::fstat(folderFd, &fs) != 0 || !scanDue(fileio::folderOf(t.path), fs))
        return;
    const QByteArray targetName = fileio::nameOf(t.path);
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    // NOLINTNEXTLINE(concurrency-mt-unsafe): glibc's readdir is safe on an unshared stream
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        const QByteArray random = randomOf(name, targetName);
        if (random.isEmpty())
            continue;
        const Fd fd(::openat(folderFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st, now;
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || st.st_nlink != 1 ||
            !name.endsWith(QByteArray('-' + tagOf(random, st.st_uid))) ||
            ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (::fstatat(folderFd, e->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
            now.st_dev == st.st_dev && now.st_ino == st.st_ino)
            ::unlinkat(folderFd, e->d_name, 0);
    }
    ::closedir(dir);
}

int replaceFile(const safelinks::Target& t, int folderFd, QByteArrayView bytes, bool unnamed)
{
    // A new file gets the mode open() would give it; a replacement the old file's, set
    // once its owner is.
    const mode_t createMode = t.exists ? 0600 : 0666;
    const QByteArray targetName = fileio::nameOf(t.path);
    Fd fd;
    QByteArray name;
    if (const int err = createTemp(folderFd, createMode, unnamed, targetName, fd, name))
        return err;
    const auto discard = [&](int err) {
        if (!name.isEmpty())
            ::unlinkat(folderFd, name.constData(), 0);
        return err;
    };
    if (t.exists) {
        const bool sameOwner = t.st.st_uid == ::geteuid();
        if (::fchown(fd.get(), sameOwner ? uid_t(-1) : t.st.st_uid, t.st.st_gid) != 0) {
            struct stat own;
            if (::fstat(fd.get(), &own) != 0 || own.st_uid != t.st.st_uid ||
                own.st_gid != t.st.st_gid)
                return discard(kRewriteInPlace); // the file would change hands
        }
        if (::fchmod(fd.get(), t.st.st_mode & 07777) != 0)
            return discard(errno);
    }
    if (const int err = fileio::writeAllAt(fd.get(), bytes.data(), bytes.size(), 0))
        return discard(err);
    if (::fsync(fd.get()) != 0)
        return discard(errno);
    if (unnamed) {
        if (const int err = nameTemp(folderFd, fd.get(), targetName, name))
            return err;
    }
    if (g_stopBeforeRename)
        (void)std::raise(SIGSTOP);
    if (::renameat(folderFd, name.constData(), folderFd, targetName.constData()) != 0) {
        const int err = errno;
        // A sticky folder refuses to replace another user's file, a mount point cannot be
        // replaced at all; writing into the file may still be allowed.
        if (t.exists && (err == EACCES || err == EPERM || err == EBUSY || err == EXDEV))
            return discard(kRewriteInPlace);
        return discard(err);
    }
    // The file is in place; flushing the folder only makes the rename durable sooner.
    const Fd sync(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (sync.valid())
        (void)::fsync(sync.get());
    return fd.close();
}

} // namespace tavelorn::atomicreplace

namespace tavelorn::TestHooks {

void setStopBeforeRename(bool stop)
{
    atomicreplace::g_stopBeforeRename = stop;
}

} // namespace tavelorn::TestHooks
