#pragma once

// Small helpers shared by the safe-write units (links, atomic replace, journal, lock):
// descriptors that close themselves, whole reads and writes, and a file's identity.

#include <QByteArray>

#include <cerrno>
#include <utility>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace tavelorn::fileio {

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& o) noexcept : m_fd(std::exchange(o.m_fd, -1)) {}
    Fd& operator=(Fd&& o) noexcept
    {
        reset(std::exchange(o.m_fd, -1));
        return *this;
    }
    ~Fd() { reset(); }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
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

QByteArray folderOf(const QByteArray& path);
QByteArray nameOf(const QByteArray& path);

// pwrite / pread until size bytes are done; a file that ends first is EIO.
int writeAllAt(int fd, const char* data, qsizetype size, off_t offset);
int readAllAt(int fd, char* data, qsizetype size, off_t offset);

int syncFolderOf(const QByteArray& path);

// Asks for the memory of a large buffer in huge pages, where the system grants them on
// request: a file of tens of megabytes read into it then costs a few page faults instead
// of thousands.
void adviseHugePages(void* p, size_t size);

// What tells one file from another over time: the device and inode, and what survives
// the reuse of an inode number: the birth time where the file system records one, else
// the inode's generation number. A file system with neither gives stable == false.
struct FileIdentity
{
    quint64 dev = 0, ino = 0;
    qint64 birthSec = 0;
    quint32 birthNsec = 0;
    quint32 generation = 0;
    bool stable = false;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(int fd);

// Whether the user uid may write a file of that status by its mode bits (owner, group
// membership, others).
bool userMayWrite(uid_t uid, const struct stat& st);

// Someone besides the folder's owner may create, rename or remove entries in it.
inline bool othersMayWriteIn(const struct stat& folder)
{
    return (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

} // namespace tavelorn::fileio
