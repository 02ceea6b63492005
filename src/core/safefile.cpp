#include "safefile.h"

#include "apperror.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <mutex>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The kernel's own limit on links followed in one path.
constexpr int kMaxLinkHops = 40;
constexpr char kTempPrefix[] = ".tavelorn-";
constexpr qsizetype kTempRandomLength = 6;
// A folder is searched for stale temporary files at most this often.
constexpr auto kStaleScanInterval = std::chrono::seconds(60);
// Not an errno value: the caller rewrites the file in place.
constexpr int kRewriteInPlace = INT_MIN;

std::atomic<bool> g_unnamedTempFiles{true};

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return m_fd; }
    void release() { m_fd = -1; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes and reports the error of close, which may be the first sign of a full disk
    // on network file systems.
    int close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int m_fd;
};

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

// The file a write to path reaches.
struct Target
{
    QByteArray path;
    bool exists = false;
    struct stat st
    {
    };
};

// Follows the links of the last path component by hand, so that a loop is an error,
// not a file written somewhere along it, and the protected-symlinks rule holds whatever
// the system's setting.
int resolveTarget(QByteArray path, Target& t)
{
    for (int hops = 0;; ++hops) {
        if (::lstat(path.constData(), &t.st) != 0) {
            if (errno != ENOENT)
                return errno;
            t.path = path; // a link to a missing file creates that file, as open() does
            t.exists = false;
            return 0;
        }
        if (!S_ISLNK(t.st.st_mode)) {
            t.path = path;
            t.exists = true;
            return 0;
        }
        if (hops == kMaxLinkHops)
            return ELOOP;
        const QByteArray folder = folderOf(path);
        struct stat fs;
        if (::stat(folder.constData(), &fs) != 0)
            return errno;
        // Someone else's link in /tmp and the like may point at whatever they like.
        if ((fs.st_mode & S_ISVTX) && (fs.st_mode & S_IWOTH) && t.st.st_uid != ::geteuid() &&
            t.st.st_uid != fs.st_uid)
            return EACCES;
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(path.constData(), link.data(), size_t(link.size()));
        if (n < 0)
            return errno;
        if (n >= link.size())
            return ENAMETOOLONG;
        link.truncate(n);
        path = link.startsWith('/') ? link : folder + '/' + link;
    }
}

// Runs pwrite or pread until size bytes are done; a file that ends first is EIO.
template <typename Byte, typename Io>
int transferAll(Io io, int fd, Byte* data, qsizetype size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = io(fd, data, size_t(size), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        size -= n;
        offset += n;
    }
    return 0;
}

int writeAllAt(int fd, const char* data, qsizetype size, off_t offset)
{
    return transferAll(::pwrite, fd, data, size, offset);
}

int readAllAt(int fd, char* data, qsizetype size, off_t offset)
{
    return transferAll(::pread, fd, data, size, offset);
}

bool isTempName(const char* name)
{
    const qsizetype prefix = qsizetype(sizeof kTempPrefix) - 1;
    if (qstrncmp(name, kTempPrefix, size_t(prefix)) != 0 ||
        qstrlen(name) != size_t(prefix + kTempRandomLength))
        return false;
    for (const char* p = name + prefix; *p; ++p)
        if (!((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9')))
            return false;
    return true;
}

QByteArray randomTempName()
{
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name(kTempPrefix);
    for (qsizetype i = 0; i < kTempRandomLength; ++i)
        name += kChars[QRandomGenerator::system()->bounded(int(sizeof kChars) - 1)];
    return name;
}

// Removes the temporary files of writers that were killed: ours, and unlocked, since a
// live writer holds a lock on its file from its creation to its rename.
void removeStaleTempFiles(const QByteArray& folder, int folderFd)
{
    struct stat fs;
    if (::fstat(folderFd, &fs) != 0)
        return;
    {
        // Once in a while per folder: a scan on every write would make writing many files
        // into one folder quadratic. The path tells apart folders that reuse an inode.
        static std::mutex mutex;
        static QHash<QByteArray, std::chrono::steady_clock::time_point> lastScan;
        const std::lock_guard lock(mutex);
        const QByteArray key = QByteArray::number(quint64(fs.st_dev)) + ':' +
                               QByteArray::number(quint64(fs.st_ino)) + ':' + folder;
        const auto now = std::chrono::steady_clock::now();
        const auto it = lastScan.constFind(key);
        if (it != lastScan.cend() && now - *it < kStaleScanInterval)
            return;
        lastScan.insert(key, now);
    }
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    while (const dirent* e = ::readdir(dir)) {
        if (!isTempName(e->d_name))
            continue;
        const Fd fd(::openat(folderFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st, now;
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (::fstatat(folderFd, e->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
            now.st_dev == st.st_dev && now.st_ino == st.st_ino)
            ::unlinkat(folderFd, e->d_name, 0);
    }
    ::closedir(dir);
}

bool refusesNewFiles(int err)
{
    return err == EACCES || err == EPERM || err == EROFS || err == ENOSPC || err == EDQUOT;
}

// Rewrites the file in place: reserve, write the part beyond the old end first (growing
// is what needs new space), then the old bytes, then cut. A failure before the old
// bytes are touched leaves the file as it was; one while overwriting them puts the old
// bytes back.
int rewriteInPlace(const Target& t, QByteArrayView bytes)
{
    Fd fd(::open(t.path.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return errno;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return kErrNotRegularFile;
    const qsizetype oldSize = qsizetype(st.st_size);
    const qsizetype newSize = bytes.size();
    const auto restoreSize = [&] { (void)::ftruncate(fd.get(), off_t(oldSize)); };
    if (newSize > oldSize) {
        if (::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, off_t(oldSize), off_t(newSize - oldSize)) !=
                0 &&
            errno != EOPNOTSUPP && errno != ENOSYS) {
            const int err = errno;
            restoreSize(); // frees what was reserved past the end
            return err;
        }
        if (const int err =
                writeAllAt(fd.get(), bytes.data() + oldSize, newSize - oldSize, off_t(oldSize))) {
            restoreSize();
            return err;
        }
    }
    const qsizetype head = qMin(oldSize, newSize);
    QByteArray old;
    {
        const Fd reader(::open(t.path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (reader.valid()) {
            old.resize(head);
            if (readAllAt(reader.get(), old.data(), head, 0) != 0)
                old.clear();
        }
    }
    int err = writeAllAt(fd.get(), bytes.data(), head, 0);
    if (!err && newSize < oldSize && ::ftruncate(fd.get(), off_t(newSize)) != 0)
        err = errno;
    if (!err && ::fsync(fd.get()) != 0)
        err = errno;
    if (err) {
        if (old.size() == head)
            (void)writeAllAt(fd.get(), old.constData(), head, 0);
        restoreSize();
        (void)::fsync(fd.get());
        return err;
    }
    return fd.close();
}

// A temporary file in folderFd: unnamed when the file system allows it.
int createTemp(int folderFd, mode_t mode, bool unnamed, Fd& fd, QByteArray& name)
{
    if (unnamed) {
        fd.reset(::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        if (fd.valid())
            return 0;
        return errno;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = randomTempName();
        fd.reset(
            ::openat(folderFd, name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode));
        if (fd.valid())
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// Gives the unnamed file fd a temporary name in folderFd.
int linkTemp(int folderFd, int fd, QByteArray& name)
{
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = randomTempName();
        // AT_EMPTY_PATH needs a capability that ordinary users lack; /proc does not.
        if (::linkat(fd, "", folderFd, name.constData(), AT_EMPTY_PATH) == 0 ||
            ::linkat(AT_FDCWD, proc.constData(), folderFd, name.constData(), AT_SYMLINK_FOLLOW) ==
                0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// The normal path: a complete new file renamed over the old one.
int replaceFile(const Target& t, int folderFd, QByteArrayView bytes, bool unnamed)
{
    // A new file gets the mode open() would give it; a replacement the old file's, set
    // once its owner is.
    const mode_t createMode = t.exists ? 0600 : 0666;
    Fd fd;
    QByteArray name;
    if (const int err = createTemp(folderFd, createMode, unnamed, fd, name))
        return err;
    // The lock tells a later write's clean-up that this file is alive.
    (void)::flock(fd.get(), LOCK_EX);
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
    if (const int err = writeAllAt(fd.get(), bytes.data(), bytes.size(), 0))
        return discard(err);
    if (::fsync(fd.get()) != 0)
        return discard(errno);
    if (unnamed) {
        if (const int err = linkTemp(folderFd, fd.get(), name)) {
            name.clear();
            return err;
        }
    }
    const QByteArray targetName = t.path.mid(t.path.lastIndexOf('/') + 1);
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

} // namespace

int OpenRegularFileForReading(const QString& path, int& cause)
{
    // O_NONBLOCK: opening a pipe must not wait for a writer.
    Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
        cause = errno;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        cause = S_ISDIR(st.st_mode) ? EISDIR : kErrNotRegularFile;
        return -1;
    }
    // Reads of a regular file never block; plain blocking mode all the same.
    (void)::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    const int result = fd.get();
    fd.release();
    return result;
}

void setUnnamedTempFilesEnabled(bool enabled)
{
    g_unnamedTempFiles = enabled;
}

int WriteFileSafely(const QString& path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return ENOENT;
    Target t;
    if (const int err = resolveTarget(QFile::encodeName(path), t))
        return err;
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
    const QByteArray folderPath = folderOf(t.path);
    const Fd folder(::open(folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return errno;
    removeStaleTempFiles(folderPath, folder.get());
    // Every name of a hard-linked file must see the new content.
    if (t.exists && t.st.st_nlink > 1)
        return rewriteInPlace(t, bytes);

    bool unnamed = g_unnamedTempFiles;
    int err = replaceFile(t, folder.get(), bytes, unnamed);
    // File systems without unnamed files, or without /proc to name one.
    if (unnamed && (err == EOPNOTSUPP || err == EISDIR || err == EINVAL || err == ENOENT)) {
        unnamed = false;
        err = replaceFile(t, folder.get(), bytes, unnamed);
    }
    // A folder that refuses new files, or a disk without room for a second copy: the
    // file itself may still take the new content.
    if (err == kRewriteInPlace || (t.exists && refusesNewFiles(err)))
        return rewriteInPlace(t, bytes);
    return err;
}
