#pragma once

#include "safelinks.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace tavelorn {

// Called between the tries of a writer that waits for another writer's lock, with who
// holds it (as that writer put it, "user@host, program (pid)", empty when unknown), how
// long the wait has lasted, and the pause to spend before the next try: the observer
// spends it (a window keeps its events running meanwhile). Returning false gives up.
using LockWaitObserver = std::function<bool(const QString& holder, qint64 waitedMs, int pauseMs)>;

// One operation on a file shared by several windows, processes and users (a shared
// folder, NFS included): lock, recover, read, change, write, release, with the links of
// the path resolved once. This alone undoes killed in-place rewrites.
//
// Readers lock nothing and create nothing: they read the file whole, and read again when
// its identity, size or times changed meanwhile or an in-place rewrite began; while a
// rewrite in place is under way (or was killed) they read its journal's old content.
//
// Writers exclude each other through ".<name>.lock" beside the file, created by the first
// writer with read and write rights only for the classes (owner, group, others) that may
// write the file, so that a user who may only read the file cannot hold it. The holder
// writes "user, host, program, process id" into it. Where no such lock file can be had
// (a folder that refuses it, or a name taken by a file no writer made) the writers lock
// the file itself. A writer waits at most kWaitMilliseconds, polling from a few
// milliseconds up to about 100.
class FileTransaction
{
public:
    enum class Mode
    {
        Read,
        Write,
        // Locks only when a journal must be recovered or the file rewritten in place, and
        // then the file itself, leaving no lock file beside it (pictures).
        WriteLockWhenNeeded,
    };

    static constexpr int kWaitMilliseconds = 10'000;

    // Writers: waits for the lock and recovers; throws AppError when the path leads
    // nowhere we may write, the lock does not come in time or the wait is given up, or
    // when an interrupted write cannot be undone.
    FileTransaction(const QString& path, Mode mode, LockWaitObserver observer = {});
    ~FileTransaction();
    FileTransaction(const FileTransaction&) = delete;
    FileTransaction& operator=(const FileTransaction&) = delete;

    // The file's content as one whole version, at most maxSize + 1 bytes (one more tells
    // a file that is too large); empty when the file is missing, unreadable or not a
    // regular file. Throws AppError when writers keep changing it past the retries.
    QByteArray read(qint64 maxSize);

    // Writers: makes bytes the file's whole content (atomic replace, or a rewrite in
    // place under the lock). Returns 0 or the cause (errno or a kErr… value).
    int write(QByteArrayView bytes);

    const QString& path() const { return m_path; }

private:
    void lock();
    void release();

    QString m_path;
    Mode m_mode;
    LockWaitObserver m_observer;
    safelinks::Target m_target;
    int m_resolveError = 0;
    int m_lockFd = -1;
    bool m_locked = false;
};

} // namespace tavelorn
