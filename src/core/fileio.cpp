#include "fileio.h"

#include <QVarLengthArray>

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>

namespace tavelorn::fileio {

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray nameOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

namespace {

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

} // namespace

int writeAllAt(int fd, const char* data, qsizetype size, off_t offset)
{
    return transferAll(::pwrite, fd, data, size, offset);
}

int readAllAt(int fd, char* data, qsizetype size, off_t offset)
{
    return transferAll(::pread, fd, data, size, offset);
}

int syncFolderOf(const QByteArray& path)
{
    const Fd folder(::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return errno;
    return ::fsync(folder.get()) == 0 ? 0 : errno;
}

FileIdentity identityOf(int fd)
{
    FileIdentity id;
    struct statx sx
    {
    };
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &sx) != 0)
        return id;
    id.dev = (quint64(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    id.ino = sx.stx_ino;
    if (sx.stx_mask & STATX_BTIME) {
        id.birthSec = sx.stx_btime.tv_sec;
        id.birthNsec = sx.stx_btime.tv_nsec;
        id.stable = true;
    }
    // ext2/3/4, XFS and btrfs hand out a new generation when they reuse an inode.
    unsigned int generation = 0;
    if (::ioctl(fd, FS_IOC_GETVERSION, &generation) == 0) {
        id.generation = generation;
        id.stable = id.stable || generation != 0;
    }
    return id;
}

bool userMayWrite(uid_t uid, const struct stat& st)
{
    if (uid == 0)
        return true;
    if (uid == st.st_uid)
        return (st.st_mode & S_IWUSR) != 0;
    if (st.st_mode & S_IWOTH)
        return true;
    if (!(st.st_mode & S_IWGRP))
        return false;
    // Member of the file's group?
    QVarLengthArray<char, 1024> buf(1024);
    passwd pw{};
    passwd* found = nullptr;
    while (::getpwuid_r(uid, &pw, buf.data(), size_t(buf.size()), &found) == ERANGE &&
           buf.size() < (1 << 20))
        buf.resize(buf.size() * 2);
    if (!found)
        return false;
    if (pw.pw_gid == st.st_gid)
        return true;
    int count = 64;
    QVarLengthArray<gid_t, 64> groups(count);
    if (::getgrouplist(pw.pw_name, pw.pw_gid, groups.data(), &count) < 0) {
        if (count <= 0 || count > 65536)
            return false;
        groups.resize(count);
        if (::getgrouplist(pw.pw_name, pw.pw_gid, groups.data(), &count) < 0)
            return false;
    }
    for (int i = 0; i < count; ++i)
        if (groups[i] == st.st_gid)
            return true;
    return false;
}

void adviseHugePages(void* p, size_t size)
{
    constexpr size_t kHugePage = size_t(2) << 20;
    // Only the whole huge pages inside the buffer: its first and last bytes may share a
    // page with other memory.
    const size_t skip = (kHugePage - quintptr(p) % kHugePage) % kHugePage;
    if (size <= skip)
        return;
    const size_t length = (size - skip) / kHugePage * kHugePage;
    if (length > 0)
        (void)::madvise(static_cast<char*>(p) + skip, length, MADV_HUGEPAGE);
}

} // namespace tavelorn::fileio
