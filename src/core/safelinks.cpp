#include "safelinks.h"

#include "apperror.h"
#include "fileio.h"

#include <cerrno>
#include <climits>

#include <unistd.h>

namespace tavelorn::safelinks {

namespace {
// The kernel's own limit on links followed in one path.
constexpr int kMaxLinkHops = 40;
} // namespace

bool mayFollowLinkIn(const struct stat& folder, uid_t linkOwner)
{
    return !fileio::othersMayWriteIn(folder) || linkOwner == ::geteuid() ||
           linkOwner == folder.st_uid;
}

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
        const QByteArray folder = fileio::folderOf(path);
        struct stat fs;
        if (::stat(folder.constData(), &fs) != 0)
            return errno;
        if (!mayFollowLinkIn(fs, t.st.st_uid))
            return kErrRefusedLink;
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

} // namespace tavelorn::safelinks
