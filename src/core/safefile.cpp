#include "safefile.h"

#include "apperror.h"
#include "fileio.h"
#include "filetransaction.h"
#include "safelinks.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace tavelorn {

int writeFileSafely(const QString& path, QByteArrayView bytes)
{
    try {
        FileTransaction tx(path, FileTransaction::Mode::WriteLockWhenNeeded);
        return tx.write(bytes);
    } catch (const AppError& e) {
        return e.cause() ? e.cause() : EIO;
    }
}

QString resolvedFilePath(const QString& path)
{
    safelinks::Target t;
    if (path.isEmpty() || safelinks::resolveTarget(QFile::encodeName(path), t) != 0)
        return path;
    return QFile::decodeName(t.path);
}

int openRegularFileForReading(const QString& path, int& cause)
{
    // O_NONBLOCK: opening a pipe must not wait for a writer.
    fileio::Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
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
    return fd.release();
}

} // namespace tavelorn
