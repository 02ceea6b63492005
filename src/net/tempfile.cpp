#include "tempfile.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <unistd.h>

namespace tavelorn {

// TMPDIR as it stands, else /tmp. Not QDir::tempPath(): it turns a missing TMPDIR
// folder into an empty path, which would put our files in the root folder.
static QByteArray tempFolder()
{
    QByteArray dir = qgetenv("TMPDIR");
    if (dir.isEmpty())
        dir = "/tmp";
    if (!dir.endsWith('/'))
        dir += '/';
    return dir;
}

QString createTempFile(const QString& extension)
{
    // mkstemps creates the file with O_EXCL and mode 0600 under a random name.
    QByteArray pattern = tempFolder() + "XXXXXX";
    const QByteArray suffix = QFile::encodeName(extension);
    if (suffix.size() > INT_MAX - 1)
        return {};
    pattern += suffix;
    int fd;
    do {
        fd = mkstemps(pattern.data(), static_cast<int>(suffix.size()));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return {};
    ::close(fd);
    return QFile::decodeName(pattern);
}

void deleteTempFile(const QString& fileName)
{
    if (!fileName.isEmpty())
        ::unlink(QFile::encodeName(fileName).constData());
}

} // namespace tavelorn
