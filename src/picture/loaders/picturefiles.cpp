#include "pictureloaders.h"

#include "apperror.h"
#include "safefile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelorn {

namespace {

struct PictureFileType
{
    const char* description;
    const char* extension;
    GraphicPtr (*load)(const QByteArray&); // from the bytes in memory
    GraphicPtr (*stream)(QIODevice&);      // or from the file
};

// The dialogs list the types in this order; the accepted extensions are the same rows.
const PictureFileType kPictureFileTypes[] = {
    {"Image GIF", "gif", loadGifPicture, nullptr},
    {"Fichier image JPEG", "jpg", loadJpegPicture, nullptr},
    {"Fichier image JPEG", "jpeg", loadJpegPicture, nullptr},
    {"Bitmaps", "bmp", nullptr, loadBitmapPicture},
    {"Icônes", "ico", loadIconPicture, nullptr},
    {"Métafichiers évolués", "emf", loadEmfPicture, nullptr},
    {"Métafichiers", "wmf", loadWmfPicture, nullptr},
    {"Images TIFF", "tif", nullptr, loadTiffPicture},
    {"Images TIFF", "tiff", nullptr, loadTiffPicture},
};

const PictureFileType* findType(const QString& ext)
{
    for (const auto& t : kPictureFileTypes) {
        if (ext.compare(QLatin1String(t.extension), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

[[noreturn]] void throwOpenError(const QString& path, const QString& reason)
{
    throw AppError(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2").arg(path, reason));
}

// Opens a picture file, or throws the open error with the system's reason.
int openPictureFile(const QString& path)
{
    int cause = 0;
    const int fd = openRegularFileForReading(path, cause);
    if (fd < 0)
        throwOpenError(path, systemErrorText(cause));
    return fd;
}

QByteArray readWholeFile(const QString& path)
{
    const int fd = openPictureFile(path);
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat st;
    if (::fstat(fd, &st) != 0)
        throwOpenError(path, systemErrorText(errno));
    if (st.st_size > kMaxPictureFileSize)
        throwOpenError(path, systemErrorText(EFBIG));

    QByteArray data;
    data.resize(qsizetype(st.st_size));
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::read(fd, data.data() + done, size_t(data.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwOpenError(path, systemErrorText(errno));
        }
        if (n == 0)
            break; // the file shrank meanwhile
        done += n;
    }
    data.truncate(done);
    return data;
}

} // namespace

QStringList pictureFileExtensions()
{
    QStringList list;
    for (const auto& t : kPictureFileTypes)
        list << QLatin1String(t.extension);
    return list;
}

QStringList pictureDialogNameFilters()
{
    // Qt separates the patterns of one filter by spaces; ";" would make the first
    // row match no file at all.
    QStringList patterns;
    for (const auto& t : kPictureFileTypes)
        patterns << QStringLiteral("*.") + QLatin1String(t.extension);
    QStringList filters;
    filters << QStringLiteral("Tous (%1)").arg(patterns.join(u' '));
    for (const auto& t : kPictureFileTypes)
        filters << QStringLiteral("%1 (*.%2)")
                       .arg(QString::fromUtf8(t.description), QLatin1String(t.extension));
    return filters;
}

bool pictureSizeAllowed(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

QString pictureTooLargeMessage(qint64 width, qint64 height)
{
    return QStringLiteral("Image trop grande (%1 × %2 pixels)")
        .arg(QString::number(width), QString::number(height));
}

GraphicPtr loadPictureFromBytes(const QByteArray& data, const QString& ext)
{
    const PictureFileType* type = findType(ext);
    if (!type)
        throw AppError(QStringLiteral("Extension de fichier image inconnue (.%1)").arg(ext));
    if (type->stream) {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        return type->stream(buffer);
    }
    return type->load(data);
}

bool pictureFileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return !S_ISDIR(st.st_mode);
    return errno != ENOENT && errno != ENOTDIR;
}

GraphicPtr loadPictureFromFile(const QString& path)
{
    // The extension decides before the file is opened.
    const QString ext = QFileInfo(path).suffix();
    const PictureFileType* type = findType(ext);
    if (!type)
        throw AppError(QStringLiteral("Extension de fichier image inconnue (.%1)").arg(ext));
    if (type->stream) {
        const int fd = openPictureFile(path);
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            throwOpenError(path, file.errorString());
        }
        return type->stream(file);
    }
    return type->load(readWholeFile(path));
}

} // namespace tavelorn
