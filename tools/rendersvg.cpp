// Build-time tool: renders an SVG picture into square pictures of given sizes: PNG files
// for the desktop's icon theme, or raw premultiplied ARGB32 pixels (".argb", rows top to
// bottom, native byte order) that the program shows without decoding anything.
// Usage: rendersvg INPUT.svg OUTPUT SIZE [OUTPUT SIZE]...

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 4 || argc % 2 != 0) {
        std::fputs("usage: rendersvg INPUT.svg OUTPUT SIZE [OUTPUT SIZE]...\n", stderr);
        return 2;
    }
    // Lettering in a picture needs fonts, hence a GUI application, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's notes about the build machine (no runtime folder...) are no build output.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "rendersvg: %s\n", qPrintable(msg));
    });
    QGuiApplication app(argc, argv);

    const QString input = QString::fromLocal8Bit(argv[1]);
    QSvgRenderer renderer(input);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "rendersvg: %s is no readable SVG picture\n", argv[1]);
        return 1;
    }
    for (int i = 2; i + 1 < argc; i += 2) {
        bool ok = false;
        const int size = QByteArray(argv[i + 1]).toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            std::fprintf(stderr, "rendersvg: bad size %s\n", argv[i + 1]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter);
        painter.end();
        const QString output = QString::fromLocal8Bit(argv[i]);
        QSaveFile file(output);
        bool written = file.open(QIODevice::WriteOnly);
        if (written && output.endsWith(QLatin1String(".argb")))
            written = file.write(reinterpret_cast<const char*>(image.constBits()),
                                 image.sizeInBytes()) == image.sizeInBytes();
        else if (written)
            written = image.save(&file, "PNG");
        if (!written || !file.commit()) {
            std::fprintf(stderr, "rendersvg: cannot write %s\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
