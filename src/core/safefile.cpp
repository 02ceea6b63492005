#include "safefile.h"

#include "apperror.h"
#include "fileio.h"
#include "filetransaction.h"
#include "safelinks.h"

#include <QFile>
#include <QSet>

#include <cstdio>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>

namespace tavelorn {

namespace {

std::mutex g_reportMutex;
std::function<void(const QString&)> g_reporter;

} // namespace

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

QString writeErrorMessage(const QString& path, int cause)
{
    QString text = QStringLiteral("Impossible d'écrire dans ") + path;
    if (cause != 0)
        text += QStringLiteral(". ") + systemErrorText(cause);
    return text;
}

void reportUntrustedFile(const QString& path, const QString& why)
{
    static QSet<QString> told;
    std::function<void(const QString&)> reporter;
    {
        const std::lock_guard lock(g_reportMutex);
        if (told.contains(path))
            return;
        told.insert(path);
        reporter = g_reporter;
    }
    const QString message =
        QStringLiteral("Fichier ignoré, il n'est pas d'un rédacteur de confiance : ") + path +
        QStringLiteral(" (") + why + u')';
    if (reporter)
        reporter(message);
    else
        (void)std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

void setUntrustedFileReporter(std::function<void(const QString& message)> reporter)
{
    const std::lock_guard lock(g_reportMutex);
    g_reporter = std::move(reporter);
}

} // namespace tavelorn
