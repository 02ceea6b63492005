#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tavelorn {

// A lock that makes one store operation a transaction on the configuration file as it
// is now: writers exclude every other user of the file, readers exclude only writers, so
// a reader never sees a write half done. Several windows, processes and users (a shared
// folder, NFS included) may share one file.
//
// The lock is an open-file-description lock on ".<name>.lock" beside the file (created
// with the file's mode bits, so that whoever may write the file may lock it) and on the
// file itself; a folder that refuses the lock file leaves the file's own lock. A write
// may replace the file: the lock is taken again when the name has moved on to a new file.
//
// Taking a write lock first puts back a file whose in-place rewrite was killed. A read
// lock leaves the file alone and offers its old content instead.
class ConfigFileLock
{
public:
    enum class Access
    {
        Read,
        Write
    };

    // How long a lock is waited for before AppError is thrown.
    static constexpr int kWaitMilliseconds = 10'000;

    // Waits for the lock; throws AppError when it does not come within the wait, or
    // when an interrupted write cannot be undone.
    ConfigFileLock(const QString& path, Access access);
    ~ConfigFileLock();
    ConfigFileLock(const ConfigFileLock&) = delete;
    ConfigFileLock& operator=(const ConfigFileLock&) = delete;

    // For a read lock: the file's content before a killed in-place rewrite, which the
    // reader reads instead of the file; empty when the file is whole.
    const std::optional<QByteArray>& contentBeforeInterruptedWrite() const { return m_oldContent; }

private:
    void release();

    int m_lockFileFd = -1;
    int m_fileFd = -1;
    std::optional<QByteArray> m_oldContent;
};

} // namespace tavelorn
