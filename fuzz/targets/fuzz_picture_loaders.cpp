// Feeds arbitrary bytes to each picture decoder and draws what loads, so that the
// lazy JPEG decoding runs too. The first byte picks the decoder.
#include "graphic.h"
#include "loaders/pictureloaders.h"

#include "apperror.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

using namespace tavelorn;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Metafile text needs the font database, hence an application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const QStringList extensions = pictureFileExtensions();
    const QString ext = extensions.at(data[0] % extensions.size());
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    try {
        GraphicPtr graphic = loadPictureFromBytes(bytes, ext);
        QImage canvas(48, 40, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        painter.setClipRect(4, 4, 40, 32);
        graphic->draw(painter, QRect(QPoint(2, 2), graphic->size().boundedTo(QSize(64, 64))));
        graphic->draw(painter, QRect(0, 0, 48, 40));
        painter.end();
        graphic->takeDrawError();
    } catch (const AppError&) {
    }
    return 0;
}
