#include "fileidentity.h"

#include <QFile>

#include <sys/stat.h>

namespace tavelorn {

FileIdentity FileIdentity::of(const QString& path)
{
    struct stat st
    {
    };
    FileIdentity id;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return id;
    id.exists = true;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.size = qint64(st.st_size);
    id.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

} // namespace tavelorn
