#include "pictureloaders.h"

#include "apperror.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

namespace {

class TRasterGraphic : public TGraphic
{
public:
    explicit TRasterGraphic(QImage image) : m_image(std::move(image)) {}

    QSize size() const override { return m_image.size(); }

    void draw(QPainter& painter, const QRect& dest) const override
    {
        if (dest.isEmpty())
            return;
        painter.save();
        // Rows and columns are repeated or dropped, never blended.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(dest, m_image);
        painter.restore();
    }

private:
    QImage m_image;
};

// A format the painter draws fast; transparent parts stay transparent so that what
// lies beneath shows there.
QImage drawable(const QImage& image, bool opaque)
{
    if (opaque || !image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Throws when the size the file records is beyond our limits, before any allocation.
void checkRecordedSize(const QImageReader& reader)
{
    const QSize size = reader.size();
    if (size.isValid() && !pictureSizeAllowed(size.width(), size.height()))
        throw EAppError(pictureTooLargeMessage(size.width(), size.height()));
}

QImage checkedRead(QImageReader& reader)
{
    checkRecordedSize(reader);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return {};
    if (!pictureSizeAllowed(image.width(), image.height()))
        throw EAppError(pictureTooLargeMessage(image.width(), image.height()));
    return image;
}

// The first image of data read by Qt's reader for format; a null image when the
// content is invalid.
QImage readImage(const QByteArray& data, const char* format)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    return checkedRead(reader);
}

// Icons hold a handful of sizes; a forged directory of thousands of entries pointing
// at the same large image must not make us decode it thousands of times.
constexpr int kMaxIconImages = 64;

quint16 le16(const QByteArray& data, qsizetype offset)
{
    return quint16(uchar(data[offset]) | (uchar(data[offset + 1]) << 8));
}

quint32 le32(const QByteArray& data, qsizetype offset)
{
    return quint32(le16(data, offset)) | (quint32(le16(data, offset + 2)) << 16);
}

} // namespace

TGraphicPtr loadBitmapPicture(const QByteArray& data)
{
    const QString invalid = QStringLiteral("Image de bitmap non valide");
    if (!data.startsWith("BM") || data.size() < 26)
        throw EAppError(invalid);
    // Qt's reader fails on huge sizes without saying so; the user gets the reason.
    const quint32 infoSize = le32(data, 14);
    const qint64 width = infoSize == 12 ? le16(data, 18) : qint32(le32(data, 18));
    const qint64 height = infoSize == 12 ? le16(data, 20) : qAbs(qint64(qint32(le32(data, 22))));
    if (width > 0 && height > 0 && !pictureSizeAllowed(width, height))
        throw EAppError(pictureTooLargeMessage(width, height));
    const QImage image = readImage(data, "bmp");
    if (image.isNull())
        throw EAppError(invalid);
    // A bitmap covers its destination completely, whatever its alpha channel says.
    return std::make_shared<TRasterGraphic>(drawable(image, true));
}

TGraphicPtr loadIconPicture(const QByteArray& data)
{
    const QString invalid = QStringLiteral("Image d'icône non valide");
    // ICONDIR: reserved 0, type 1 (icon, not cursor), at least one entry.
    if (data.size() < 6 || le16(data, 0) != 0 || le16(data, 2) != 1 || le16(data, 4) == 0)
        throw EAppError(invalid);
    const int count = le16(data, 4);
    if (data.size() < 6 + 16 * qsizetype(count))
        throw EAppError(invalid);
    // The largest image of the file (the first of equal ones) gives the picture.
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    reader.setDecideFormatFromContent(false);
    QImage best;
    for (int i = 0; i < qMin(count, kMaxIconImages); ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = checkedRead(reader);
        if (!image.isNull() &&
            qint64(image.width()) * image.height() > qint64(best.width()) * best.height())
            best = image;
    }
    if (best.isNull())
        throw EAppError(invalid);
    return std::make_shared<TRasterGraphic>(drawable(best, false));
}

TGraphicPtr loadGifPicture(const QByteArray& data)
{
    if (!data.startsWith("GIF87a") && !data.startsWith("GIF89a"))
        throw EAppError(QStringLiteral("Signature GIF incorrecte"));
    // The first frame only: no animation.
    const QImage image = readImage(data, "gif");
    if (image.isNull())
        throw EAppError(QStringLiteral("Image GIF non valide"));
    return std::make_shared<TRasterGraphic>(drawable(image, false));
}

TGraphicPtr loadTiffPicture(const QByteArray& data)
{
    const QString invalid = QStringLiteral("Image TIFF non valide");
    if (!data.startsWith(QByteArray("II*\0", 4)) && !data.startsWith(QByteArray("MM\0*", 4)))
        throw EAppError(invalid);
    const QImage image = readImage(data, "tiff");
    if (image.isNull())
        throw EAppError(invalid);
    return std::make_shared<TRasterGraphic>(drawable(image, false));
}
