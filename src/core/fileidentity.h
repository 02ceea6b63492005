#pragma once

#include <QString>
#include <QtGlobal>

namespace tavelorn {

// What one stat of a file tells about its content without reading it: a save renamed over
// it changes the inode, an in-place rewrite the size or the times. Cheap enough to ask
// every second, also where change notifications do not come (network file systems).
struct FileIdentity
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    bool operator==(const FileIdentity&) const = default;

    // The file at path now (a link is followed); exists false when it cannot be seen.
    static FileIdentity of(const QString& path);
};

} // namespace tavelorn
