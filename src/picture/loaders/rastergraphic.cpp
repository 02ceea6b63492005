#include "pictureloaders.h"

#include "apperror.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <vector>

namespace tavelorn {

namespace {

class RasterGraphic : public Graphic
{
public:
    explicit RasterGraphic(QImage image) : m_image(std::move(image)) {}

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
// lies beneath shows there. Converted in place where the pixel size allows: a second
// copy of a large picture would double the memory.
QImage drawable(QImage image, bool opaque)
{
    image.convertTo(opaque || !image.hasAlphaChannel() ? QImage::Format_RGB32
                                                       : QImage::Format_ARGB32_Premultiplied);
    return image;
}

// Qt's readers refuse pictures above their own allocation limit, far below our budget;
// ours is checked before they run.
void allowBudgetInQtReaders()
{
    static const bool done = [] {
        QImageReader::setAllocationLimit(int(kMaxDecodeBytes >> 20));
        return true;
    }();
    Q_UNUSED(done);
}

// Throws when the size the file records is beyond our limits, before any allocation.
void checkRecordedSize(const QImageReader& reader)
{
    const QSize size = reader.size();
    if (size.isValid() && !pictureSizeAllowed(size.width(), size.height()))
        throw AppError(pictureTooLargeMessage(size.width(), size.height()));
}

QImage checkedRead(QImageReader& reader)
{
    allowBudgetInQtReaders();
    checkRecordedSize(reader);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return {};
    if (!pictureSizeAllowed(image.width(), image.height()))
        throw AppError(pictureTooLargeMessage(image.width(), image.height()));
    return image;
}

// The first image of device read by Qt's reader for format; a null image when the
// content is invalid.
QImage readImage(QIODevice& device, const char* format)
{
    QImageReader reader(&device, format);
    reader.setDecideFormatFromContent(false);
    return checkedRead(reader);
}

QImage readImage(const QByteArray& data, const char* format)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return readImage(buffer, format);
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

// The size icon entry i records: the header of its PNG or bitmap, else the directory's
// bytes (0 for 256).
QSize recordedIconSize(const QByteArray& data, int i)
{
    const qsizetype dir = 6 + 16 * qsizetype(i);
    const qint64 offset = le32(data, dir + 12);
    if (offset + 24 <= data.size()) {
        if (data.mid(offset, 8) == QByteArray("\x89PNG\r\n\x1a\n", 8)) {
            const auto be32 = [&](qsizetype at) {
                return (quint32(uchar(data[at])) << 24) | (quint32(uchar(data[at + 1])) << 16) |
                       (quint32(uchar(data[at + 2])) << 8) | quint32(uchar(data[at + 3]));
            };
            return QSize(int(qMin<quint32>(be32(offset + 16), INT_MAX)),
                         int(qMin<quint32>(be32(offset + 20), INT_MAX)));
        }
        if (le32(data, offset) >= 40) // BITMAPINFOHEADER: the height counts the mask too
            return QSize(int(qMin<quint32>(le32(data, offset + 4), INT_MAX)),
                         int(qMin<quint32>(le32(data, offset + 8), INT_MAX) / 2));
    }
    const int w = uchar(data[dir]), h = uchar(data[dir + 1]);
    return QSize(w ? w : 256, h ? h : 256);
}

} // namespace

GraphicPtr makeRasterGraphic(QImage image)
{
    return std::make_shared<RasterGraphic>(std::move(image));
}

GraphicPtr loadBitmapPicture(QIODevice& device)
{
    const QString invalid = QStringLiteral("Image de bitmap non valide");
    const QByteArray data = device.peek(26);
    if (!data.startsWith("BM") || data.size() < 26)
        throw AppError(invalid);
    // Qt's reader fails on huge sizes without saying so; the user gets the reason.
    const quint32 infoSize = le32(data, 14);
    const qint64 width = infoSize == 12 ? le16(data, 18) : qint32(le32(data, 18));
    const qint64 height = infoSize == 12 ? le16(data, 20) : qAbs(qint64(qint32(le32(data, 22))));
    if (width > 0 && height > 0 && !pictureSizeAllowed(width, height))
        throw AppError(pictureTooLargeMessage(width, height));
    QImage image = readImage(device, "bmp");
    if (image.isNull())
        throw AppError(invalid);
    // A bitmap covers its destination completely, whatever its alpha channel says.
    return std::make_shared<RasterGraphic>(drawable(std::move(image), true));
}

GraphicPtr loadIconPicture(const QByteArray& data)
{
    const QString invalid = QStringLiteral("Image d'icône non valide");
    // ICONDIR: reserved 0, type 1 (icon, not cursor), at least one entry.
    if (data.size() < 6 || le16(data, 0) != 0 || le16(data, 2) != 1 || le16(data, 4) == 0)
        throw AppError(invalid);
    const int count = le16(data, 4);
    if (data.size() < 6 + 16 * qsizetype(count))
        throw AppError(invalid);
    // The largest image of the file (the first of equal ones) gives the picture. The
    // sizes the images record pick it, so that only one large image is ever decoded;
    // one that fails to decode gives way to the next largest.
    struct Entry
    {
        int index;
        qint64 area;
    };
    std::vector<Entry> entries;
    for (int i = 0; i < qMin(count, kMaxIconImages); ++i) {
        const QSize size = recordedIconSize(data, i);
        entries.push_back({i, qint64(size.width()) * size.height()});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.area > b.area; });
    const QSize largest = recordedIconSize(data, entries.front().index);
    if (largest.width() > 0 && largest.height() > 0 &&
        !pictureSizeAllowed(largest.width(), largest.height()))
        throw AppError(pictureTooLargeMessage(largest.width(), largest.height()));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    reader.setDecideFormatFromContent(false);
    QImage best;
    for (const Entry& e : entries) {
        if (!reader.jumpToImage(e.index))
            continue;
        best = checkedRead(reader);
        if (!best.isNull())
            break;
    }
    if (best.isNull())
        throw AppError(invalid);
    return std::make_shared<RasterGraphic>(drawable(std::move(best), false));
}

GraphicPtr loadGifPicture(const QByteArray& data)
{
    if (!data.startsWith("GIF87a") && !data.startsWith("GIF89a"))
        throw AppError(QStringLiteral("Signature GIF incorrecte"));
    // The first frame only: no animation.
    QImage image = readImage(data, "gif");
    if (image.isNull())
        throw AppError(QStringLiteral("Image GIF non valide"));
    return std::make_shared<RasterGraphic>(drawable(std::move(image), false));
}

} // namespace tavelorn
