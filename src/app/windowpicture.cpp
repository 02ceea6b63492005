#include "windowpicture.h"

#include <QImage>
#include <QPixmap>
#include <QResource>

#include <cmath>

namespace tavelorn {

namespace {

// Raw premultiplied pixels, square: nothing to decode at start-up.
QPixmap rawPicture(const QString& name, int size)
{
    const QResource resource(
        QStringLiteral(":/pictures/%1-%2.argb").arg(name, QString::number(size)));
    const qint64 bytes = qint64(size) * size * 4;
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression ||
        resource.size() != bytes)
        return QPixmap();
    // The resource data need not be aligned for 32-bit pixels: copied.
    const QImage image(resource.data(), size, size, qsizetype(size) * 4,
                       QImage::Format_ARGB32_Premultiplied);
    return QPixmap::fromImage(image.copy());
}

} // namespace

QIcon windowPicture(const QString& name, int size)
{
    QIcon icon;
    icon.addPixmap(rawPicture(name, size));
    icon.addPixmap(rawPicture(name, 2 * size));
    return icon;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 64, 128})
        icon.addPixmap(rawPicture(QStringLiteral("tavelorn"), size));
    return icon;
}

} // namespace tavelorn
