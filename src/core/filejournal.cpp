#include "filejournal.h"

#include "apperror.h"
#include "fileio.h"
#include "folders.h"

#include <QCryptographicHash>
#include <QFile>
#include <QList>

#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace tavelorn::filejournal {

using fileio::Fd;
using fileio::FileIdentity;
using safelinks::Target;

namespace {

constexpr char kMagic[] = "TAVELORN ROLLBACK JOURNAL 2\n";
constexpr qsizetype kMagicSize = qsizetype(sizeof kMagic) - 1;
// dev, ino, birth seconds, birth nanoseconds and generation (one word), content size.
constexpr qsizetype kFieldCount = 5;
constexpr qsizetype kHeaderSize = kMagicSize + kFieldCount * 8 + 32;

struct Fields
{
    quint64 v[kFieldCount] = {};
};

Fields fieldsOf(const FileIdentity& id, qsizetype size)
{
    return {{id.dev, id.ino, quint64(id.birthSec),
             (quint64(id.birthNsec) << 32) | quint64(id.generation), quint64(size)}};
}

QByteArray digestOf(const Fields& f, QByteArrayView content)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(f.v), sizeof f.v));
    hash.addData(content);
    return hash.result();
}

QByteArray besidePlace(const QByteArray& path)
{
    return fileio::folderOf(path) + "/." + fileio::nameOf(path) + ".tavelorn-journal";
}

QByteArray absolutePath(const QByteArray& path)
{
    char resolved[PATH_MAX];
    if (!::realpath(fileio::folderOf(path).constData(), resolved))
        return path;
    QByteArray abs(resolved);
    if (!abs.endsWith('/'))
        abs += '/';
    return abs + fileio::nameOf(path);
}

// The user's own place, private to the user: used only for files no one else may write.
QByteArray statePlace(const QByteArray& path)
{
    QByteArray state = qgetenv("XDG_STATE_HOME");
    if (!state.startsWith('/')) {
        const QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/'))
            return {};
        state = home + "/.local/state";
    }
    return state + "/Tavelorn-Tools/Tavelorn/journals/" +
           QCryptographicHash::hash(absolutePath(path), QCryptographicHash::Sha256).toHex() +
           ".journal";
}

QList<QByteArray> placesOf(const QByteArray& path)
{
    QList<QByteArray> places{besidePlace(path)};
    if (const QByteArray state = statePlace(path); !state.isEmpty())
        places.append(state);
    return places;
}

enum class Verdict
{
    Absent,
    Trusted,   // describes the file as it is now: its content is the old version
    Stale,     // ours to drop: cut short, damaged, or of a file replaced since
    Untrusted, // not ours to read
};

struct Journal
{
    QByteArray place;
    QByteArray content;
};

// Judges the journal at place for the file open as fileFd (status fileSt).
Verdict judge(const QByteArray& place, bool ownPlace, int fileFd, const struct stat& fileSt,
              Journal& j, QString& why)
{
    j.place = place;
    // O_NONBLOCK: a pipe put there must not make us wait; O_NOFOLLOW: nor a link lead
    // elsewhere.
    const Fd fd(::open(place.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Verdict::Absent;
        why = errno == ELOOP ? QStringLiteral("lien symbolique") : systemErrorText(errno);
        return Verdict::Untrusted;
    }
    struct stat js;
    if (::fstat(fd.get(), &js) != 0) {
        why = systemErrorText(errno);
        return Verdict::Untrusted;
    }
    if (!S_ISREG(js.st_mode)) {
        why = QStringLiteral("pas un fichier ordinaire");
        return Verdict::Untrusted;
    }
    if (js.st_nlink != 1) {
        why = QStringLiteral("plusieurs liens");
        return Verdict::Untrusted;
    }
    const bool owned = js.st_uid == ::geteuid();
    if (!owned &&
        (ownPlace || (js.st_uid != fileSt.st_uid && !fileio::userMayWrite(js.st_uid, fileSt)))) {
        why = QStringLiteral("propriétaire étranger");
        return Verdict::Untrusted;
    }
    if (js.st_mode & (S_IWGRP | S_IWOTH)) {
        why = QStringLiteral("modifiable par d'autres utilisateurs");
        return Verdict::Untrusted;
    }
    if (js.st_size > kHeaderSize + kMaxContentSize) {
        why = QStringLiteral("trop grand");
        return Verdict::Untrusted;
    }
    // From here on the journal is one a writer of the file made.
    if (js.st_size < kHeaderSize)
        return Verdict::Stale;
    QByteArray header(kHeaderSize, Qt::Uninitialized);
    if (fileio::readAllAt(fd.get(), header.data(), header.size(), 0) != 0 ||
        !header.startsWith(QByteArrayView(kMagic, kMagicSize)))
        return Verdict::Stale;
    Fields f;
    std::memcpy(f.v, header.constData() + kMagicSize, sizeof f.v);
    if (quint64(js.st_size) != quint64(kHeaderSize) + f.v[kFieldCount - 1])
        return Verdict::Stale;
    const FileIdentity id = fileio::identityOf(fileFd);
    const Fields now = fieldsOf(id, qsizetype(f.v[kFieldCount - 1]));
    if (std::memcmp(now.v, f.v, sizeof f.v) != 0)
        return Verdict::Stale; // another file, or the same inode number reused
    j.content.resize(qsizetype(f.v[kFieldCount - 1]));
    if (fileio::readAllAt(fd.get(), j.content.data(), j.content.size(), off_t(kHeaderSize)) != 0 ||
        digestOf(f, j.content) != header.right(32)) {
        j.content.clear();
        return Verdict::Stale;
    }
    return Verdict::Trusted;
}

void report(const QByteArray& place, const QString& why)
{
    reportUntrustedFile(QFile::decodeName(place), why);
}

void removeJournal(const QByteArray& place)
{
    if (::unlink(place.constData()) == 0)
        (void)fileio::syncFolderOf(place);
}

// The trusted journals of t (open as fileFd); stale ones are removed when removeStale.
QList<Journal> trustedJournals(const Target& t, int fileFd, bool removeStale)
{
    QList<Journal> found;
    const QList<QByteArray> places = placesOf(t.path);
    for (qsizetype i = 0; i < places.size(); ++i) {
        Journal j;
        QString why;
        switch (judge(places[i], i > 0, fileFd, t.st, j, why)) {
        case Verdict::Absent:
            break;
        case Verdict::Trusted:
            found.append(std::move(j));
            break;
        case Verdict::Stale:
            if (removeStale)
                removeJournal(places[i]);
            break;
        case Verdict::Untrusted:
            report(places[i], why);
            break;
        }
    }
    return found;
}

int restore(int fd, const Journal& j)
{
    int err = fileio::writeAllAt(fd, j.content.constData(), j.content.size(), 0);
    if (!err && ::ftruncate(fd, off_t(j.content.size())) != 0)
        err = errno;
    if (!err && ::fsync(fd) != 0)
        err = errno;
    if (!err)
        removeJournal(j.place);
    return err;
}

int writeJournalAt(const QByteArray& place, int fileFd, const struct stat& fileSt,
                   QByteArrayView old)
{
    // Never an existing file: whatever is there was not made for this rewrite.
    Fd fd(::open(place.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.valid())
        return errno;
    // Those who may read the file may read its old content; no one else may write it.
    (void)::fchmod(fd.get(), S_IRUSR | S_IWUSR | (fileSt.st_mode & (S_IRGRP | S_IROTH)));
    const Fields f = fieldsOf(fileio::identityOf(fileFd), old.size());
    QByteArray header(kMagic, kMagicSize);
    header.append(reinterpret_cast<const char*>(f.v), sizeof f.v);
    header += digestOf(f, old);
    int err = fileio::writeAllAt(fd.get(), header.constData(), header.size(), 0);
    if (!err)
        err = fileio::writeAllAt(fd.get(), old.data(), old.size(), off_t(header.size()));
    if (!err && ::fsync(fd.get()) != 0)
        err = errno;
    if (!err)
        err = fd.close();
    if (!err)
        err = fileio::syncFolderOf(place);
    if (err)
        ::unlink(place.constData());
    return err;
}

// Writes the journal of t with its old bytes; journal names the place used. Beside the
// file, where every writer and reader looks; in the user's own place only when no one
// else may write the file and its identity survives inode reuse.
int writeJournal(const Target& t, int fileFd, QByteArrayView old, QByteArray& journal)
{
    const bool othersMayTear = (t.st.st_mode & (S_IWGRP | S_IWOTH)) != 0 || t.st.st_nlink > 1;
    const QByteArray beside = besidePlace(t.path);
    int err = writeJournalAt(beside, fileFd, t.st, old);
    if (err == EEXIST) {
        // Left there by no writer we trust (recover dropped every other kind).
        if (::unlink(beside.constData()) == 0)
            err = writeJournalAt(beside, fileFd, t.st, old);
    }
    if (!err) {
        journal = beside;
        return 0;
    }
    const bool refused = err == EACCES || err == EPERM || err == EROFS || err == EEXIST ||
                         err == ELOOP || err == ENOENT;
    if (othersMayTear || !fileio::identityOf(fileFd).stable)
        return refused ? kErrNoJournalPlace : err;
    const QByteArray own = statePlace(t.path);
    // Its folders are private to the user.
    if (own.isEmpty() || makeFolders(fileio::folderOf(own), 0700) != 0)
        return kErrNoJournalPlace;
    err = writeJournalAt(own, fileFd, t.st, old);
    if (err == EEXIST && ::unlink(own.constData()) == 0)
        err = writeJournalAt(own, fileFd, t.st, old);
    if (err)
        return err == EACCES || err == EPERM || err == EEXIST ? kErrNoJournalPlace : err;
    journal = own;
    return 0;
}

} // namespace

bool anyJournalPresent(const Target& t)
{
    struct stat st;
    for (const QByteArray& place : placesOf(t.path))
        if (::lstat(place.constData(), &st) == 0)
            return true;
    return false;
}

QByteArray journalSignature(const Target& t)
{
    QByteArray sig;
    struct stat st;
    for (const QByteArray& place : placesOf(t.path)) {
        if (::lstat(place.constData(), &st) != 0) {
            sig += "-;";
            continue;
        }
        const quint64 fields[] = {quint64(st.st_ino),         quint64(st.st_size),
                                  quint64(st.st_mtim.tv_sec), quint64(st.st_mtim.tv_nsec),
                                  quint64(st.st_ctim.tv_sec), quint64(st.st_ctim.tv_nsec)};
        sig.append(reinterpret_cast<const char*>(fields), sizeof fields);
    }
    return sig;
}

int recover(const Target& t)
{
    if (!t.exists || !S_ISREG(t.st.st_mode) || !anyJournalPresent(t))
        return 0;
    Fd fd(::open(t.path.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        // Not ours to write: drop nothing, restore nothing; readers read the journal.
        return 0;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    Target now = t;
    now.st = st;
    const QList<Journal> journals = trustedJournals(now, fd.get(), true);
    if (journals.isEmpty())
        return 0;
    // Two journals mean a rewrite was killed while the first journal's was being undone:
    // the first place is looked at first by everyone; either is a whole version.
    if (const int err = restore(fd.get(), journals.front()))
        return err;
    for (qsizetype i = 1; i < journals.size(); ++i)
        removeJournal(journals[i].place);
    return fd.close();
}

std::optional<QByteArray> contentBeforeRewrite(const Target& t, int fileFd)
{
    if (!anyJournalPresent(t))
        return std::nullopt;
    struct stat st;
    if (::fstat(fileFd, &st) != 0)
        return std::nullopt;
    Target now = t;
    now.st = st;
    QList<Journal> journals = trustedJournals(now, fileFd, false);
    if (journals.isEmpty())
        return std::nullopt;
    return std::move(journals.front().content);
}

int rewriteInPlace(const Target& t, QByteArrayView bytes, int cause)
{
    Fd fd(::open(t.path.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return errno;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return kErrNotRegularFile;
    if (st.st_size > kMaxContentSize || bytes.size() > kMaxContentSize)
        return EFBIG;
    Target now = t;
    now.st = st;
    const qsizetype oldSize = qsizetype(st.st_size);
    const qsizetype newSize = bytes.size();
    QByteArray old(oldSize, Qt::Uninitialized);
    if (const int err = fileio::readAllAt(fd.get(), old.data(), oldSize, 0))
        return err;
    QByteArray journal;
    if (const int err = writeJournal(now, fd.get(), old, journal)) {
        // The user wants to hear of the full disk or the read-only file system that sent
        // the write here, not of the journal.
        const bool telling = cause == ENOSPC || cause == EDQUOT || cause == EROFS;
        return telling ? cause : err;
    }
    const auto restoreOld = [&] {
        if (fileio::writeAllAt(fd.get(), old.constData(), oldSize, 0) == 0 &&
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
        if (const int err = fileio::writeAllAt(fd.get(), bytes.data() + oldSize, newSize - oldSize,
                                               off_t(oldSize))) {
            restoreOld();
            return err;
        }
    }
    int err = fileio::writeAllAt(fd.get(), bytes.data(), qMin(oldSize, newSize), 0);
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

} // namespace tavelorn::filejournal
