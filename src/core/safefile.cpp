#include "safefile.h"
#include "coretesting.h"

#include "apperror.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QList>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <mutex>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelorn {

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
    // NOLINTNEXTLINE(concurrency-mt-unsafe): glibc's readdir is safe on an unshared stream
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

// The rollback journal of an in-place rewrite: the file's old bytes with the file's
// identity and a checksum, flushed to disk before the file is touched. A rewrite that is
// killed leaves it behind, and the next write or lock of the file puts the old bytes
// back. A journal cut short fails its checksum: its rewrite never started.
constexpr char kJournalMagic[] = "TAVELORN ROLLBACK JOURNAL 1\n";
constexpr qsizetype kJournalMagicSize = qsizetype(sizeof kJournalMagic) - 1;
constexpr qsizetype kJournalHeaderSize = kJournalMagicSize + qsizetype{3} * 8 + 32;

QByteArray journalDigest(const struct stat& st, QByteArrayView content)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const quint64 fields[] = {quint64(st.st_dev), quint64(st.st_ino), quint64(content.size())};
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(fields), sizeof fields));
    hash.addData(content);
    return hash.result();
}

QByteArray absolutePath(const QByteArray& path)
{
    const QByteArray folder = folderOf(path);
    char resolved[PATH_MAX];
    if (!::realpath(folder.constData(), resolved))
        return path;
    QByteArray abs(resolved);
    if (!abs.endsWith('/'))
        abs += '/';
    return abs + path.mid(path.lastIndexOf('/') + 1);
}

// Where the journal of the file at path may be: beside it, else in the user's state
// folder under a name made from the file's absolute path.
QList<QByteArray> journalPlaces(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray name = path.mid(slash + 1);
    QList<QByteArray> places{folderOf(path) + "/." + name + ".tavelorn-journal"};
    QByteArray state = qgetenv("XDG_STATE_HOME");
    if (!state.startsWith('/')) {
        const QByteArray home = qgetenv("HOME");
        if (home.startsWith('/'))
            state = home + "/.local/state";
        else
            state.clear();
    }
    if (!state.isEmpty())
        places.append(
            state + "/Tavelorn-Tools/Tavelorn/journals/" +
            QCryptographicHash::hash(absolutePath(path), QCryptographicHash::Sha256).toHex() +
            ".journal");
    return places;
}

int syncFolderOf(const QByteArray& path)
{
    const Fd folder(::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return errno;
    return ::fsync(folder.get()) == 0 ? 0 : errno;
}

// mkdir -p for the state folder, private to the user.
bool makeFolders(const QByteArray& folder)
{
    struct stat st;
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const QByteArray parent = folderOf(folder);
    if (parent == folder || !makeFolders(parent))
        return false;
    return ::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST;
}

int writeJournalAt(const QByteArray& place, const struct stat& st, QByteArrayView old)
{
    Fd fd(::open(place.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.valid())
        return errno;
    QByteArray header(kJournalMagic, kJournalMagicSize);
    const quint64 fields[] = {quint64(st.st_dev), quint64(st.st_ino), quint64(old.size())};
    header.append(reinterpret_cast<const char*>(fields), sizeof fields);
    header += journalDigest(st, old);
    int err = writeAllAt(fd.get(), header.constData(), header.size(), 0);
    if (!err)
        err = writeAllAt(fd.get(), old.data(), old.size(), off_t(header.size()));
    if (!err && ::fsync(fd.get()) != 0)
        err = errno;
    if (!err)
        err = fd.close();
    if (!err)
        err = syncFolderOf(place);
    if (err)
        ::unlink(place.constData());
    return err;
}

// Writes the journal of the file t with its old bytes; journal names the place used.
int writeJournal(const Target& t, QByteArrayView old, QByteArray& journal)
{
    int err = ENOENT;
    for (const QByteArray& place : journalPlaces(t.path)) {
        if (place.contains("/Tavelorn-Tools/Tavelorn/journals/") && !makeFolders(folderOf(place)))
            continue;
        err = writeJournalAt(place, t.st, old);
        if (!err) {
            journal = place;
            return 0;
        }
    }
    return err;
}

void removeJournal(const QByteArray& journal)
{
    if (::unlink(journal.constData()) == 0)
        (void)syncFolderOf(journal);
}

struct Journal
{
    QByteArray place;
    quint64 dev = 0, ino = 0;
    QByteArray content;
};

// The journals left for the file at path; those whose rewrite never started (cut short,
// damaged) or whose file has been replaced since are removed when removeInvalid.
QList<Journal> findJournals(const QByteArray& path, bool removeInvalid)
{
    QList<Journal> found;
    struct stat target;
    const bool exists = ::stat(path.constData(), &target) == 0;
    for (const QByteArray& place : journalPlaces(path)) {
        struct stat js;
        if (::lstat(place.constData(), &js) != 0)
            continue;
        bool valid = false;
        Journal j;
        j.place = place;
        if (S_ISREG(js.st_mode) && js.st_size >= kJournalHeaderSize) {
            const Fd fd(::open(place.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
            QByteArray header(kJournalHeaderSize, Qt::Uninitialized);
            quint64 fields[3] = {};
            if (fd.valid() && readAllAt(fd.get(), header.data(), header.size(), 0) == 0 &&
                header.startsWith(QByteArrayView(kJournalMagic, kJournalMagicSize))) {
                memcpy(fields, header.constData() + kJournalMagicSize, sizeof fields);
                if (quint64(js.st_size) == quint64(kJournalHeaderSize) + fields[2]) {
                    j.content.resize(qsizetype(fields[2]));
                    struct stat id
                    {
                    };
                    id.st_dev = dev_t(fields[0]);
                    id.st_ino = ino_t(fields[1]);
                    valid = readAllAt(fd.get(), j.content.data(), j.content.size(),
                                      off_t(kJournalHeaderSize)) == 0 &&
                            journalDigest(id, j.content) == header.right(32) && exists &&
                            target.st_dev == id.st_dev && target.st_ino == id.st_ino;
                    j.dev = fields[0];
                    j.ino = fields[1];
                }
            }
        }
        if (valid)
            found.append(std::move(j));
        else if (removeInvalid)
            removeJournal(place);
    }
    return found;
}

// Puts a journal's bytes back into its file, then drops the journal.
int restoreJournal(const QByteArray& path, const Journal& j)
{
    Fd fd(::open(path.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return errno;
    int err = writeAllAt(fd.get(), j.content.constData(), j.content.size(), 0);
    if (!err && ::ftruncate(fd.get(), off_t(j.content.size())) != 0)
        err = errno;
    if (!err && ::fsync(fd.get()) != 0)
        err = errno;
    if (!err)
        err = fd.close();
    if (!err)
        removeJournal(j.place);
    return err;
}

int recoverTarget(const QByteArray& path)
{
    const QList<Journal> journals = findJournals(path, true);
    if (journals.isEmpty())
        return 0;
    // Two journals mean a rewrite was killed while the first journal's was being undone:
    // the older one holds the older content; either is a whole version.
    const Journal& j = journals.front();
    if (const int err = restoreJournal(path, j))
        return err;
    for (qsizetype i = 1; i < journals.size(); ++i)
        removeJournal(journals[i].place);
    return 0;
}

// Rewrites the file in place under a rollback journal: reserve, write the part beyond the
// old end first (growing is what needs new space), then the old bytes, then cut. A
// failure puts the old bytes back; a writer killed meanwhile leaves the journal, from
// which the next write or lock of the file restores it. Without a place for the journal
// the file is not touched, and the error is cause when the normal path failed for one
// (the user wants to know of the full disk, not of the journal), else the journal's.
int rewriteInPlace(const Target& t, QByteArrayView bytes, int cause = 0)
{
    Fd fd(::open(t.path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return errno;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return kErrNotRegularFile;
    const qsizetype oldSize = qsizetype(st.st_size);
    const qsizetype newSize = bytes.size();
    QByteArray old(oldSize, Qt::Uninitialized);
    if (const int err = readAllAt(fd.get(), old.data(), oldSize, 0))
        return err;
    QByteArray journal;
    if (const int err = writeJournal(t, old, journal))
        return cause > 0 ? cause : err;
    const auto restoreOld = [&] {
        if (writeAllAt(fd.get(), old.constData(), oldSize, 0) == 0 &&
            ::ftruncate(fd.get(), off_t(oldSize)) == 0 && ::fsync(fd.get()) == 0)
            removeJournal(journal);
    };
    if (newSize > oldSize) {
        if (::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, off_t(oldSize), off_t(newSize - oldSize)) !=
                0 &&
            errno != EOPNOTSUPP && errno != ENOSYS) {
            const int err = errno;
            restoreOld(); // frees what was reserved past the end
            return err;
        }
        if (const int err =
                writeAllAt(fd.get(), bytes.data() + oldSize, newSize - oldSize, off_t(oldSize))) {
            restoreOld();
            return err;
        }
    }
    int err = writeAllAt(fd.get(), bytes.data(), qMin(oldSize, newSize), 0);
    if (!err && newSize < oldSize && ::ftruncate(fd.get(), off_t(newSize)) != 0)
        err = errno;
    if (!err && ::fsync(fd.get()) != 0)
        err = errno;
    if (err) {
        restoreOld();
        return err;
    }
    err = fd.close();
    if (!err)
        removeJournal(journal);
    return err;
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
            ::fstatat(folderFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            mine.st_dev == named.st_dev && mine.st_ino == named.st_ino)
            return 0;
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
    // The lock tells a later write's clean-up that this file is alive (a named file is
    // locked already).
    if (unnamed)
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

int openRegularFileForReading(const QString& path, int& cause)
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

namespace TestHooks {

void setUnnamedTempFilesEnabled(bool enabled)
{
    g_unnamedTempFiles = enabled;
}

} // namespace TestHooks

int writeFileSafely(const QString& path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return ENOENT;
    // The file system would end the path at the NUL: some other file.
    if (path.contains(QChar(0)))
        return EINVAL;
    Target t;
    if (const int err = resolveTarget(QFile::encodeName(path), t))
        return err;
    // A killed in-place rewrite first gets its old bytes back: its torn content must not
    // become the old bytes of this write.
    if (t.exists && S_ISREG(t.st.st_mode)) {
        if (const int err = recoverTarget(t.path))
            return err;
        if (::stat(t.path.constData(), &t.st) != 0)
            return errno;
    }
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
        return rewriteInPlace(t, bytes, err);
    return err;
}

QString resolvedFilePath(const QString& path)
{
    Target t;
    if (path.isEmpty() || resolveTarget(QFile::encodeName(path), t) != 0)
        return path;
    return QFile::decodeName(t.path);
}

int recoverInterruptedWrite(const QString& path)
{
    Target t;
    if (path.isEmpty() || resolveTarget(QFile::encodeName(path), t) != 0 || !t.exists)
        return 0;
    return recoverTarget(t.path);
}

std::optional<QByteArray> contentBeforeInterruptedWrite(const QString& path)
{
    Target t;
    if (path.isEmpty() || resolveTarget(QFile::encodeName(path), t) != 0 || !t.exists)
        return std::nullopt;
    QList<Journal> journals = findJournals(t.path, false);
    if (journals.isEmpty())
        return std::nullopt;
    return std::move(journals.front().content);
}

} // namespace tavelorn
