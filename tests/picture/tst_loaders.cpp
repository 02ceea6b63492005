#include "graphic.h"
#include "loaders/pictureloaders.h"

#include "apperror.h"
#include "bigpictures.h"
#include "imagegraphic.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <jerror.h>
#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavelorn;

// Readable failures.
void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// --- fixtures -------------------------------------------------------------------------

QByteArray encodeWithQt(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << format << ": " << writer.errorString().toStdString();
    return bytes;
}

QImage twoPixels()
{
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 0, 255));
    return image;
}

// Little-endian record writer for the hand-made metafiles.
struct Bytes
{
    QByteArray data;
    Bytes& u16(quint16 v)
    {
        data.append(char(v & 0xff)).append(char(v >> 8));
        return *this;
    }
    Bytes& u32(quint32 v) { return u16(quint16(v & 0xffff)).u16(quint16(v >> 16)); }
    void put32(qsizetype at, quint32 v)
    {
        for (int i = 0; i < 4; ++i)
            data[at + i] = char((v >> (8 * i)) & 0xff);
    }
};

// A 20 × 10 pixel EMF filled with red, recording a frame of 529 × 264 hundredths of a
// millimetre (20 × 10 pixels at 96 dpi).
QByteArray redEmf()
{
    Bytes b;
    b.u32(1).u32(108);                     // EMR_HEADER
    b.u32(0).u32(0).u32(19).u32(9);        // bounds, inclusive
    b.u32(0).u32(0).u32(529).u32(264);     // frame
    b.u32(0x464D4520).u32(0x10000).u32(0); // signature, version, size (set below)
    b.u32(6).u16(2).u16(0).u32(0).u32(0).u32(0);
    b.u32(1920).u32(1080).u32(508).u32(286); // device, millimetres
    b.u32(0).u32(0).u32(0).u32(508000).u32(286000);
    b.u32(39).u32(24).u32(1).u32(0).u32(0x000000FF).u32(0); // red solid brush
    b.u32(37).u32(12).u32(1);                               // select it
    b.u32(37).u32(12).u32(0x80000008);                      // NULL_PEN
    b.u32(43).u32(24).u32(0).u32(0).u32(20).u32(10);        // rectangle
    b.u32(14).u32(20).u32(0).u32(16).u32(20);               // EOF
    b.put32(48, quint32(b.data.size()));
    return b.data;
}

// A placeable 20 × 10 pixel WMF (96 units per inch) filled with green, or showing a
// 2 × 1 bitmap (red, blue) stretched over the whole picture.
QByteArray placeableWmf(bool bitmap = false)
{
    Bytes b;
    b.u32(0x9AC6CDD7).u16(0).u16(0).u16(0).u16(20).u16(10).u16(96).u32(0);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= quint16(uchar(b.data[2 * i]) | (uchar(b.data[2 * i + 1]) << 8));
    b.u16(sum);
    const qsizetype start = b.data.size();
    b.u16(1).u16(9).u16(0x300).u32(0).u16(2).u32(38).u16(0);
    b.u32(5).u16(0x020B).u16(0).u16(0);   // SETWINDOWORG
    b.u32(5).u16(0x020C).u16(10).u16(20); // SETWINDOWEXT
    if (bitmap) {
        // STRETCHDIB, SRCCOPY, from (0, 0, 2, 1) to (0, 0, 20, 10)
        b.u32(38).u16(0x0F43).u32(0x00CC0020).u16(0);
        b.u16(1).u16(2).u16(0).u16(0).u16(10).u16(20).u16(0).u16(0);
        b.u32(40).u32(2).u32(1).u16(1).u16(24).u32(0).u32(8).u32(0).u32(0).u32(0).u32(0);
        b.data.append(QByteArray("\x00\x00\xff\xff\x00\x00\x00\x00", 8)); // BGR red, blue
    } else {
        b.u32(7).u16(0x02FC).u16(0).u32(0x0000FF00).u16(0); // green solid brush
        b.u32(4).u16(0x012D).u16(0);                        // select it
        b.u32(8).u16(0x02FA).u16(5).u16(0).u16(0).u32(0);   // null pen
        b.u32(4).u16(0x012D).u16(1);
        b.u32(7).u16(0x041B).u16(10).u16(20).u16(0).u16(0); // rectangle
    }
    b.u32(3).u16(0); // EOF
    b.put32(start + 6, quint32((b.data.size() - start) / 2));
    return b.data;
}

QByteArray greenWmf()
{
    return placeableWmf(false);
}

// A 2 × 1 GIF: red then blue, LZW codes clear, 0, 1, end of information.
QByteArray redBlueGif()
{
    return QByteArray("GIF89a\x02\x00\x01\x00\x80\x00\x00"
                      "\xff\x00\x00\x00\x00\xff"
                      "\x2c\x00\x00\x00\x00\x02\x00\x01\x00\x00"
                      "\x02\x02\x44\x0a\x00\x3b",
                      35);
}

// One icon file holding the images of several single-image icons, in that order.
QByteArray combineIcons(const QList<QByteArray>& icons)
{
    QByteArray dir("\0\0\1\0", 4);
    dir.append(char(icons.size())).append('\0');
    QByteArray payload;
    const quint32 headerSize = quint32(6 + 16 * icons.size());
    for (const QByteArray& ico : icons) {
        QByteArray entry = ico.mid(6, 16);
        const quint32 offset = headerSize + quint32(payload.size());
        for (int i = 0; i < 4; ++i)
            entry[12 + i] = char((offset >> (8 * i)) & 0xff);
        dir.append(entry);
        payload.append(ico.mid(22));
    }
    return dir + payload;
}

QImage solid(int w, int h, QColor c, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(c);
    return image;
}

// --- helpers --------------------------------------------------------------------------

QImage drawInto(Graphic& graphic, QSize canvas, QRect dest)
{
    QImage image(canvas, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    graphic.draw(painter, dest);
    painter.end();
    return image;
}

QImage drawNatural(Graphic& graphic)
{
    return drawInto(graphic, graphic.size(), QRect(QPoint(0, 0), graphic.size()));
}

bool near(QRgb a, QRgb b, int tolerance = 8)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QString jpegError(int code)
{
    return QStringLiteral("Erreur JPEG #%1").arg(code);
}

QString loadError(const QByteArray& data, const QString& ext)
{
    try {
        loadPictureFromBytes(data, ext);
    } catch (const AppError& e) {
        return e.message();
    }
    return QStringLiteral("<loaded>");
}

class LoaderFiles : public ::testing::Test
{
protected:
    QString write(const QString& name, const QByteArray& data)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return path;
    }
    QTemporaryDir dir;
};

QString fileError(const QString& path)
{
    try {
        loadPictureFromFile(path);
    } catch (const AppError& e) {
        return e.message();
    }
    return QStringLiteral("<loaded>");
}

// --- the file-type list ---------------------------------------------------------------

TEST(PictureFileTypes, DialogRowsInOrder)
{
    const QStringList expected = {
        "Tous (*.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.tif *.tiff)",
        "Image GIF (*.gif)",
        "Fichier image JPEG (*.jpg)",
        "Fichier image JPEG (*.jpeg)",
        "Bitmaps (*.bmp)",
        QString::fromUtf8("Icônes (*.ico)"),
        QString::fromUtf8("Métafichiers évolués (*.emf)"),
        "Métafichiers (*.wmf)",
        "Images TIFF (*.tif)",
        "Images TIFF (*.tiff)",
    };
    EXPECT_EQ(pictureDialogNameFilters(), expected);
    EXPECT_EQ(pictureFileExtensions(),
              QStringList({"gif", "jpg", "jpeg", "bmp", "ico", "emf", "wmf", "tif", "tiff"}));
}

// --- choosing by extension and opening the file ------------------------------------------

TEST_F(LoaderFiles, UnknownExtensionIsRefusedBeforeReading)
{
    const QByteArray png = encodeWithQt(twoPixels(), "png");
    struct Case
    {
        const char* name;
        const char* message;
    };
    const Case cases[] = {
        {"picture.png", "Extension de fichier image inconnue (.png)"},
        {"picture.PNG", "Extension de fichier image inconnue (.PNG)"},
        {"picture", "Extension de fichier image inconnue (.)"},
        {"picture.jpg.txt", "Extension de fichier image inconnue (.txt)"},
        {"missing.svg", "Extension de fichier image inconnue (.svg)"},
    };
    for (const Case& c : cases) {
        const QString path =
            QString(c.name).startsWith("missing") ? dir.filePath(c.name) : write(c.name, png);
        EXPECT_EQ(fileError(path), QString::fromUtf8(c.message)) << c.name;
    }
}

TEST_F(LoaderFiles, ExtensionCaseIsIgnored)
{
    const QByteArray bmp = encodeWithQt(twoPixels(), "bmp");
    for (const char* name : {"a.BMP", "b.Bmp", "c.bmp"}) {
        GraphicPtr g = loadPictureFromFile(write(name, bmp));
        ASSERT_TRUE(g) << name;
        EXPECT_EQ(g->size(), QSize(2, 1)) << name;
    }
    const QByteArray jpeg = encodeWithQt(solid(8, 8, Qt::red), "jpeg", 100);
    for (const char* name : {"d.JPG", "e.JpEg", "f.jpeg"})
        EXPECT_EQ(loadPictureFromFile(write(name, jpeg))->size(), QSize(8, 8)) << name;
}

TEST_F(LoaderFiles, FileThatCannotBeOpened)
{
    const QString missing = dir.filePath("missing.bmp");
    EXPECT_EQ(fileError(missing), QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                                      .arg(missing, systemErrorText(ENOENT)));

    const QString folder = dir.filePath("folder.jpg");
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(fileError(folder), QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                                     .arg(folder, systemErrorText(EISDIR)));

    // A pipe would block a plain open and read.
    const QString fifo = dir.filePath("pipe.gif");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(fileError(fifo), QStringLiteral("Impossible d'ouvrir le fichier \"%1\". Ce n'est "
                                              "pas un fichier ordinaire")
                                   .arg(fifo));

    if (geteuid() != 0) { // root reads anything
        const QString locked = write("locked.gif", redBlueGif());
        ASSERT_EQ(chmod(QFile::encodeName(locked).constData(), 0), 0);
        EXPECT_EQ(fileError(locked), QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                                         .arg(locked, systemErrorText(EACCES)));
    }
}

// --- each format: size and pixels ----------------------------------------------------

TEST(PictureLoaders, BitmapTiffAndGifKeepExactPixels)
{
    const QByteArray files[][2] = {
        {encodeWithQt(twoPixels(), "bmp"), "bmp"},
        {encodeWithQt(twoPixels(), "tiff"), "tiff"},
        {encodeWithQt(twoPixels(), "tiff"), "tif"},
        {redBlueGif(), "gif"},
    };
    for (const auto& [data, ext] : files) {
        GraphicPtr g = loadPictureFromBytes(data, QString(ext));
        ASSERT_EQ(g->size(), QSize(2, 1)) << ext.constData();
        const QImage out = drawNatural(*g);
        EXPECT_EQ(out.pixel(0, 0), qRgb(255, 0, 0)) << ext.constData();
        EXPECT_EQ(out.pixel(1, 0), qRgb(0, 0, 255)) << ext.constData();
    }
}

TEST(PictureLoaders, RasterScalingRepeatsAndDropsWholePixels)
{
    GraphicPtr g = loadPictureFromBytes(encodeWithQt(twoPixels(), "bmp"), "bmp");
    const QImage wide = drawInto(*g, QSize(4, 1), QRect(0, 0, 4, 1));
    EXPECT_EQ(wide.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(wide.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(wide.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(wide.pixel(3, 0), qRgb(0, 0, 255));

    // 4 × 4 stripes shrunk to 2 × 2: every output pixel is one of the source colours.
    QImage stripes(4, 4, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            stripes.setPixel(x, y, x % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    g = loadPictureFromBytes(encodeWithQt(stripes, "bmp"), "bmp");
    const QImage small = drawInto(*g, QSize(2, 2), QRect(0, 0, 2, 2));
    for (int x = 0; x < 2; ++x)
        for (int y = 0; y < 2; ++y)
            EXPECT_TRUE(small.pixel(x, y) == qRgb(0, 0, 0) ||
                        small.pixel(x, y) == qRgb(255, 255, 255))
                << x << "," << y;
}

TEST(PictureLoaders, BitmapCoversItsDestinationWhateverItsAlpha)
{
    // A 32-bit bitmap whose alpha says fully transparent still shows its colours.
    QImage clear(2, 2, QImage::Format_ARGB32);
    clear.fill(qRgba(0, 0, 255, 0));
    const QByteArray bmp = encodeWithQt(clear, "bmp");
    GraphicPtr g = loadPictureFromBytes(bmp, "bmp");
    const QImage out = drawInto(*g, QSize(2, 2), QRect(0, 0, 2, 2));
    EXPECT_EQ(out.pixel(0, 0), qRgb(0, 0, 255));
}

TEST(PictureLoaders, JpegDecodesAtFirstDrawing)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    for (int y = 8; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    GraphicPtr g = loadPictureFromBytes(encodeWithQt(image, "jpeg", 100), "jpg");
    EXPECT_EQ(g->size(), QSize(16, 16));
    const QImage out = drawNatural(*g);
    EXPECT_TRUE(near(out.pixel(2, 2), qRgb(255, 0, 0))) << std::hex << out.pixel(2, 2);
    EXPECT_TRUE(near(out.pixel(12, 13), qRgb(0, 0, 255))) << std::hex << out.pixel(12, 13);
    EXPECT_EQ(g->takeDrawError(), QString());

    // Grey-scale files decode too.
    QImage grey(8, 8, QImage::Format_Grayscale8);
    grey.fill(100);
    g = loadPictureFromBytes(encodeWithQt(grey, "jpeg", 100), "jpeg");
    EXPECT_TRUE(near(drawNatural(*g).pixel(4, 4), qRgb(100, 100, 100)));
    EXPECT_EQ(g->takeDrawError(), QString());
}

// A 4 × 4 CMYK JPEG of one stored sample value; libjpeg adds the Adobe marker, so
// readers take the values as inverted (255 = no ink), as Photoshop writes them.
QByteArray cmykJpeg(uchar c, uchar m, uchar y, uchar k)
{
    return libjpegBytes({4, 4, false, true, true, 100, {{c, m, y, k}}});
}

TEST(PictureLoaders, CmykJpegIsConvertedToRgb)
{
    struct Case
    {
        uchar c, m, y, k;
        QRgb expected;
    };
    const Case cases[] = {
        {255, 0, 0, 255, qRgb(255, 0, 0)},         // magenta and yellow ink: red
        {255, 255, 255, 255, qRgb(255, 255, 255)}, // no ink
        {255, 255, 255, 0, qRgb(0, 0, 0)},         // black ink only
        {0, 255, 255, 255, qRgb(0, 255, 255)},     // cyan
    };
    for (const Case& c : cases) {
        GraphicPtr g = loadPictureFromBytes(cmykJpeg(c.c, c.m, c.y, c.k), "jpg");
        const QImage out = drawNatural(*g);
        EXPECT_TRUE(near(out.pixel(2, 2), c.expected)) << std::hex << out.pixel(2, 2);
        EXPECT_EQ(g->takeDrawError(), QString());
    }
}

TEST(PictureLoaders, IconTakesItsLargestImage)
{
    const QByteArray small = encodeWithQt(solid(16, 16, Qt::red, QImage::Format_ARGB32), "ico");
    const QByteArray large = encodeWithQt(solid(32, 32, Qt::blue, QImage::Format_ARGB32), "ico");
    GraphicPtr g = loadPictureFromBytes(combineIcons({small, large}), "ico");
    ASSERT_EQ(g->size(), QSize(32, 32));
    EXPECT_EQ(drawNatural(*g).pixel(16, 16), qRgb(0, 0, 255));

    g = loadPictureFromBytes(small, "ico");
    ASSERT_EQ(g->size(), QSize(16, 16));
    EXPECT_EQ(drawNatural(*g).pixel(8, 8), qRgb(255, 0, 0));
}

TEST(PictureLoaders, TransparentPartsShowWhatLiesBeneath)
{
    QImage half(4, 1, QImage::Format_ARGB32);
    half.fill(Qt::transparent);
    half.setPixel(0, 0, qRgba(255, 0, 0, 255));
    GraphicPtr g = loadPictureFromBytes(encodeWithQt(half, "ico"), "ico");
    const QImage out = drawInto(*g, QSize(4, 1), QRect(0, 0, 4, 1));
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(3, 0), qRgb(255, 255, 255));
}

TEST(PictureLoaders, MetafilesRecordTheirSizeAndDrawScaled)
{
    struct Case
    {
        QByteArray data;
        const char* ext;
        QRgb colour;
    };
    // A header whose largest record says 2 GB still loads, with the real one.
    Bytes hugeMaxRecord{greenWmf()};
    hugeMaxRecord.put32(22 + 12, 0x40000000);
    const Case cases[] = {{redEmf(), "emf", qRgb(255, 0, 0)},
                          {redEmf() + "trailing bytes", "emf", qRgb(255, 0, 0)},
                          {greenWmf(), "wmf", qRgb(0, 255, 0)},
                          {hugeMaxRecord.data, "wmf", qRgb(0, 255, 0)}};
    for (const Case& c : cases) {
        GraphicPtr g = loadPictureFromBytes(c.data, c.ext);
        ASSERT_EQ(g->size(), QSize(20, 10)) << c.ext;
        // Drawn at twice the size with a margin: filled inside, untouched outside.
        const QImage out = drawInto(*g, QSize(60, 40), QRect(10, 10, 40, 20));
        EXPECT_TRUE(near(out.pixel(30, 20), c.colour)) << c.ext << std::hex << out.pixel(30, 20);
        EXPECT_TRUE(near(out.pixel(12, 12), c.colour)) << c.ext << std::hex << out.pixel(12, 12);
        EXPECT_TRUE(near(out.pixel(47, 27), c.colour)) << c.ext << std::hex << out.pixel(47, 27);
        EXPECT_EQ(out.pixel(5, 5), qRgb(255, 255, 255)) << c.ext;
        EXPECT_EQ(out.pixel(55, 35), qRgb(255, 255, 255)) << c.ext;
    }
}

TEST(PictureLoaders, MetafileBitmapsAreDrawn)
{
    GraphicPtr g = loadPictureFromBytes(placeableWmf(true), "wmf");
    ASSERT_EQ(g->size(), QSize(20, 10));
    const QImage out = drawNatural(*g);
    EXPECT_TRUE(near(out.pixel(3, 5), qRgb(255, 0, 0), 40)) << std::hex << out.pixel(3, 5);
    EXPECT_TRUE(near(out.pixel(16, 5), qRgb(0, 0, 255), 40)) << std::hex << out.pixel(16, 5);
}

// Many small records: what the converters and the SVG renderer would spend on them is
// bounded, and beyond the bound the file is refused as a bad metafile.
TEST(PictureLoaders, MetafileRecordBombsAreRefused)
{
    const struct
    {
        const char* name;
        MetafileRecords kind;
        qint64 accepted; // drawn
        qint64 refused;
    } cases[] = {
        {"EMF lines", MetafileRecords::EmfLines, 2000, 200'000},
        {"EMF ellipses", MetafileRecords::EmfEllipses, 1000, 20'000},
        {"EMF drawing states", MetafileRecords::EmfSaveDc, 1000, 1'000'000},
        {"WMF lines", MetafileRecords::WmfLines, 2000, 200'000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const char* ext = c.kind == MetafileRecords::WmfLines ? "wmf" : "emf";
        GraphicPtr g = loadPictureFromBytes(metafileRecords(c.kind, c.accepted), ext);
        ASSERT_EQ(g->size(), QSize(450, 450));
        if (c.kind != MetafileRecords::EmfSaveDc) {
            const QImage out = drawNatural(*g);
            qint64 inked = 0;
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x)
                    inked += out.pixel(x, y) != qRgb(255, 255, 255);
            EXPECT_GT(inked, 1000);
        }
        EXPECT_EQ(loadError(metafileRecords(c.kind, c.refused), ext),
                  QStringLiteral("MetaFichier incorrect"));
    }
    // Comments cost the converters nothing: only the bytes count.
    EXPECT_EQ(
        loadPictureFromBytes(metafileRecords(MetafileRecords::EmfComments, 8 << 20), "emf")->size(),
        QSize(450, 450));
    EXPECT_EQ(loadError(metafileRecords(MetafileRecords::EmfComments, 100 << 20), "emf"),
              QStringLiteral("MetaFichier incorrect"));
}

// --- invalid content ------------------------------------------------------------------

TEST(PictureLoaders, InvalidContentMessages)
{
    const QByteArray png = encodeWithQt(twoPixels(), "png");
    const QByteArray bmp = encodeWithQt(twoPixels(), "bmp");
    QByteArray wrongEmfSignature = redEmf();
    wrongEmfSignature[40] = 'X';
    // The metafile's bitmap header is forged: libwmf would spend seconds on it.
    Bytes forgedDib{placeableWmf(true)};
    forgedDib.put32(88, 0xFFFFFFD8); // header size -40
    forgedDib.put32(92, 0x030000FE); // 50 million pixels wide
    Bytes forgedColours{placeableWmf(true)};
    forgedColours.put32(120, 0x20000000); // colour table of 2 GB
    struct Case
    {
        QByteArray data;
        const char* ext;
        const char* message;
    };
    const Case cases[] = {
        {"", "bmp", "Image de bitmap non valide"},
        {png, "bmp", "Image de bitmap non valide"},
        {bmp.left(20), "bmp", "Image de bitmap non valide"},
        {"", "ico", "Image d'icône non valide"},
        {bmp, "ico", "Image d'icône non valide"},
        {QByteArray("\0\0\1\0\1\0", 6) + QByteArray(16, '\x7f'), "ico", "Image d'icône non valide"},
        {"", "gif", "Signature GIF incorrecte"},
        {"GIF90a\x02\0\1\0", "gif", "Signature GIF incorrecte"},
        {png, "gif", "Signature GIF incorrecte"},
        {redBlueGif().left(13), "gif", "Image GIF non valide"},
        {"", "tif", "Image TIFF non valide"},
        {png, "tiff", "Image TIFF non valide"},
        {QByteArray("II*\0\x08\0\0\0\xff\xff", 10), "tif", "Image TIFF non valide"},
        {"", "emf", "MetaFichier incorrect"},
        {wrongEmfSignature, "emf", "MetaFichier incorrect"},
        {redEmf().chopped(4), "emf", "MetaFichier incorrect"}, // end record cut
        {greenWmf(), "emf", "MetaFichier incorrect"},
        {"", "wmf", "MetaFichier incorrect"},
        {redEmf(), "wmf", "MetaFichier incorrect"},
        {png, "wmf", "MetaFichier incorrect"},
        {forgedDib.data, "wmf", "MetaFichier incorrect"},
        {forgedColours.data, "wmf", "MetaFichier incorrect"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(loadError(c.data, c.ext), QString::fromUtf8(c.message))
            << c.ext << " " << c.data.left(8).toHex().constData();
}

// Offset of the first marker of the given type in a JPEG stream.
qsizetype findMarker(const QByteArray& jpeg, uchar marker)
{
    for (qsizetype i = 2; i + 1 < jpeg.size(); ++i)
        if (uchar(jpeg[i]) == 0xff && uchar(jpeg[i + 1]) == marker)
            return i;
    return -1;
}

TEST(PictureLoaders, JpegHeaderErrorsCarryTheLibraryNumber)
{
    const QByteArray good = encodeWithQt(solid(8, 8, Qt::red), "jpeg", 100);
    QByteArray badPrecision = good;
    badPrecision[findMarker(good, 0xc0) + 4] = 9;
    struct Case
    {
        QByteArray data;
        int code;
    };
    const Case cases[] = {
        {"", JERR_INPUT_EOF},
        {"not a jpeg file", JERR_NO_SOI},
        {QByteArray("\xff\xd8\xff\xd9", 4), JERR_NO_IMAGE},
        {good.left(findMarker(good, 0xda) - 10), JERR_INPUT_EOF},
        {badPrecision, JERR_BAD_PRECISION},
    };
    for (const Case& c : cases)
        EXPECT_EQ(loadError(c.data, "jpg"), jpegError(c.code))
            << c.data.left(8).toHex().constData();
}

void putBig16(QByteArray& data, qsizetype at, quint16 v)
{
    data[at] = char(v >> 8);
    data[at + 1] = char(v & 0xff);
}

void putLittle(QByteArray& data, qsizetype at, quint32 v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        data[at + i] = char((v >> (8 * i)) & 0xff);
}

void putBig32(QByteArray& data, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        data[at + i] = char((v >> (24 - 8 * i)) & 0xff);
}

// A small file written by one of the writers for large pictures, as bytes.
QByteArray writtenBytes(const std::function<bool(const QString&)>& write)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture"));
    EXPECT_TRUE(write(path));
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A classic little-endian TIFF's recorded width and height replaced.
QByteArray withTiffSize(QByteArray tiff, quint32 width, quint32 height)
{
    const qsizetype ifd =
        qsizetype(uchar(tiff[4]) | (uchar(tiff[5]) << 8) | (uchar(tiff[6]) << 16));
    const int count = uchar(tiff[ifd]) | (uchar(tiff[ifd + 1]) << 8);
    for (int i = 0; i < count; ++i) {
        const qsizetype e = ifd + 2 + 12 * i;
        const int tag = uchar(tiff[e]) | (uchar(tiff[e + 1]) << 8);
        const int type = uchar(tiff[e + 2]) | (uchar(tiff[e + 3]) << 8);
        if (tag == 256 || tag == 257)
            putLittle(tiff, e + 8, tag == 256 ? width : height, type == 3 ? 2 : 4);
    }
    return tiff;
}

// A small JPEG of one colour: baseline or progressive, RGB or CMYK.
QByteArray libjpegFile(int width, int height, bool progressive, bool cmyk)
{
    return libjpegBytes({width, height, progressive, cmyk, false, 90, {{90, 90, 90, 90}}});
}

QByteArray withJpegSize(QByteArray jpeg, int width, int height)
{
    for (const uchar sof : {0xc0, 0xc2}) {
        const qsizetype at = findMarker(jpeg, sof);
        if (at > 0) {
            putBig16(jpeg, at + 5, height);
            putBig16(jpeg, at + 7, width);
        }
    }
    return jpeg;
}

// The same budget for every format: a picture whose file records more than 64
// megapixels is refused when it is loaded, with one message, whatever its format.
TEST(PictureBudget, EveryFormatRefusesPicturesBeyondItAtLoad)
{
    constexpr int w = 8001, h = 8000; // just over 64 million pixels
    QByteArray bmp = encodeWithQt(twoPixels(), "bmp");
    putLittle(bmp, 18, w, 4);
    putLittle(bmp, 22, h, 4);

    QByteArray gif = redBlueGif();
    for (const qsizetype at : {6, 24}) {
        putLittle(gif, at, w, 2);
        putLittle(gif, at + 2, h, 2);
    }

    QByteArray png = encodeWithQt(solid(4, 4, Qt::red, QImage::Format_ARGB32), "png");
    putBig32(png, 16, w);
    putBig32(png, 20, h);
    Bytes ico; // one entry, 256 × 256 in the directory, its PNG right after
    ico.u16(0).u16(1).u16(1).u32(0).u16(1).u16(32).u32(quint32(png.size())).u32(22);
    ico.data.append(png);

    Bytes emf{redEmf()};
    emf.put32(32, quint32(w * 2540 / 96 + 1)); // frame in hundredths of a millimetre
    emf.put32(36, quint32(h * 2540 / 96 + 1));

    const QByteArray tiff = writtenBytes([](const QString& p) { return writeTiff(p, {8, 8}); });
    const QByteArray wmf =
        writtenBytes([](const QString& p) { return writeWmfWithBitmap(p, 2, 2, false); });
    QByteArray bigWmf = wmf; // the placeable header's frame, in units of 1/96 inch
    putLittle(bigWmf, 10, w, 2);
    putLittle(bigWmf, 12, h, 2);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= quint16(uchar(bigWmf[2 * i]) | (uchar(bigWmf[2 * i + 1]) << 8));
    putLittle(bigWmf, 20, sum, 2);

    const struct
    {
        QByteArray data;
        const char* ext;
    } cases[] = {
        {withJpegSize(libjpegFile(8, 8, false, false), w, h), "jpg"},
        {bmp, "bmp"},
        {gif, "gif"},
        {ico.data, "ico"},
        {withTiffSize(tiff, w, h), "tif"},
        {emf.data, "emf"},
        {bigWmf, "wmf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(loadError(c.data, c.ext),
                  QString::fromUtf8("Image trop grande (8001 × 8000 pixels)"))
            << c.ext;
    // The side limit holds whatever the pixel count.
    EXPECT_EQ(loadError(withJpegSize(libjpegFile(8, 8, false, false), 40000, 1), "jpg"),
              QString::fromUtf8("Image trop grande (40000 × 1 pixels)"));
}

// A progressive JPEG keeps the coefficients of the whole picture while it decodes: a
// CMYK one at the budget's edge would need 512 MB for them alone.
TEST(PictureBudget, ProgressiveJpegCoefficientsCountAgainstIt)
{
    const QByteArray baseline = withJpegSize(libjpegFile(8, 8, false, true), 8000, 8000);
    const QByteArray progressive = withJpegSize(libjpegFile(8, 8, true, true), 8000, 8000);
    EXPECT_EQ(loadPictureFromBytes(baseline, "jpg")->size(), QSize(8000, 8000));
    EXPECT_EQ(loadError(progressive, "jpg"),
              QString::fromUtf8("Image trop grande (8000 × 8000 pixels)"));
    // Three components need three quarters of that: within the budget.
    const QByteArray rgb = withJpegSize(libjpegFile(8, 8, true, false), 8000, 8000);
    EXPECT_EQ(loadPictureFromBytes(rgb, "jpg")->size(), QSize(8000, 8000));
}

// The bitmaps a metafile carries share a quarter of the budget.
TEST(PictureBudget, MetafileBitmapsShareAQuarterOfIt)
{
    const auto wmf = [](int side) {
        return writtenBytes(
            [side](const QString& p) { return writeWmfWithBitmap(p, side, side, true); });
    };
    EXPECT_EQ(loadPictureFromBytes(wmf(4000), "wmf")->size(), QSize(450, 350));
    EXPECT_EQ(loadError(wmf(4001), "wmf"),
              QString::fromUtf8("Image trop grande (4001 × 4001 pixels)"));

    // An EMF stretching a 5000 × 5000 bitmap: refused from its header alone.
    QByteArray emf = redEmf();
    emf.chop(20); // the end record comes back after the bitmap
    Bytes record;
    record.u32(81).u32(120);                    // EMR_STRETCHDIBITS
    record.u32(0).u32(0).u32(19).u32(9);        // bounds
    record.u32(0).u32(0).u32(0).u32(0);         // destination and source corners
    record.u32(5000).u32(5000).u32(80).u32(40); // source size, header offset and size
    record.u32(120).u32(0).u32(0).u32(0x00CC0020).u32(20).u32(10);
    record.u32(40).u32(5000).u32(5000).u16(1).u16(24).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    emf.append(record.data);
    emf.append(Bytes().u32(14).u32(20).u32(0).u32(16).u32(20).data);
    EXPECT_EQ(loadError(emf, "emf"), QString::fromUtf8("Image trop grande (5000 × 5000 pixels)"));
}

// A picture with detail at every scale: ramps and a fine checker pattern.
QImage detailed(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, ((x / 8 + y / 8) % 2) ? 200 : 40));
    return image;
}

// The picture box of the canvas, as the painter draws a background picture into it.
QImage drawInBox(Graphic& graphic, const QRect& dest)
{
    QImage canvas(450, 600, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setClipRect(QRect(0, 140, 450, 350));
    graphic.draw(painter, dest);
    painter.end();
    return canvas;
}

// A large JPEG decodes only the part that shows, at a scale that keeps a decoded pixel
// for each pixel shown: at natural size the pixels are those of the whole picture,
// stretched they stay close to them.
TEST(PictureLoaders, LargeJpegDecodesOnlyWhatShows)
{
    const QImage source = detailed(1800, 1400);
    const QByteArray jpeg = encodeWithQt(source, "jpeg", 95);
    const QImage whole = drawNatural(*loadPictureFromBytes(jpeg, "jpg"));
    const GraphicPtr reference = std::make_shared<TImageGraphic>(whole);

    const QRect centred(QPoint((450 - 1800) / 2, 140 + (350 - 1400) / 2), QSize(1800, 1400));
    const QRect corner(QPoint(0, 140), QSize(1800, 1400));
    GraphicPtr g = loadPictureFromBytes(jpeg, "jpg");
    for (const QRect& dest : {centred, corner, centred}) // each part, then the first again
        EXPECT_EQ(drawInBox(*g, dest), drawInBox(*reference, dest));

    const QRect box(0, 140, 450, 350);
    const QImage stretched = drawInBox(*g, box);
    const QImage expected = drawInBox(*reference, box);
    int far = 0;
    for (int y = 140; y < 490; ++y)
        for (int x = 0; x < 450; ++x)
            far += !near(stretched.pixel(x, y), expected.pixel(x, y), 48);
    EXPECT_LT(far, 450 * 350 / 100) << far << " pixels far from the whole picture's";
    EXPECT_EQ(g->takeDrawError(), QString());
}

// Rows of TIFF layouts are read by our converter or by the library's RGBA reader;
// both must give the library's pixels.
TEST(PictureLoaders, TiffLayoutsGiveTheLibrarysPixels)
{
    struct Case
    {
        const char* name;
        TiffSpec spec;
    };
    const Case cases[] = {
        {"RGB 8", {37, 23}},
        {"RGBA 8", {37, 23, 8, true}},
        {"RGBA 8 premultiplied", {37, 23, 8, true, false, false, false, 0, false, true}},
        {"RGB 16", {37, 23, 16}},
        {"RGBA 16", {37, 23, 16, true}},
        {"RGBA 16 premultiplied", {37, 23, 16, true, false, false, false, 0, false, true}},
        {"RGB 16 one strip", {37, 23, 16, false, true}},
        {"grey 8", {37, 23, 8, false, false, true}},
        {"grey 16", {37, 23, 16, false, false, true}},
        {"grey and alpha 8", {37, 23, 8, true, false, true}},
        {"RGB 8 planes", {37, 23, 8, false, false, false, true}},
        {"RGBA 16 tiles", {37, 23, 16, true, false, false, false, 16}},
        {"BigTIFF RGB 8", {37, 23, 8, false, false, false, false, 0, true}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path =
            dir.filePath(QStringLiteral("%1.tif").arg(QString::fromLatin1(c.name)));
        ASSERT_TRUE(writeTiff(path, c.spec));
        TIFF* t = TIFFOpen(QFile::encodeName(path).constData(), "r");
        ASSERT_TRUE(t);
        QImage library(c.spec.width, c.spec.height, QImage::Format_ARGB32_Premultiplied);
        auto* raster = reinterpret_cast<uint32_t*>(library.bits());
        ASSERT_EQ(TIFFReadRGBAImageOriented(t, uint32_t(c.spec.width), uint32_t(c.spec.height),
                                            raster, ORIENTATION_TOPLEFT, 1),
                  1);
        TIFFClose(t);
        for (qsizetype i = 0; i < qsizetype(c.spec.width) * c.spec.height; ++i)
            raster[i] = qRgba(int(TIFFGetR(raster[i])), int(TIFFGetG(raster[i])),
                              int(TIFFGetB(raster[i])), int(TIFFGetA(raster[i])));
        GraphicPtr g = loadPictureFromFile(path);
        ASSERT_EQ(g->size(), QSize(c.spec.width, c.spec.height));
        EXPECT_EQ(drawNatural(*g), drawNatural(*std::make_shared<TImageGraphic>(library)));
    }
}

// An icon image that fails to decode gives way to the next largest.
TEST(PictureLoaders, IconFallsBackFromABrokenLargestImage)
{
    QByteArray large = encodeWithQt(solid(32, 32, Qt::blue, QImage::Format_ARGB32), "ico");
    large.truncate(large.size() / 2); // its bitmap cut short
    const QByteArray small = encodeWithQt(solid(16, 16, Qt::red, QImage::Format_ARGB32), "ico");
    GraphicPtr g = loadPictureFromBytes(combineIcons({large, small}), "ico");
    ASSERT_EQ(g->size(), QSize(16, 16));
    EXPECT_EQ(drawNatural(*g).pixel(8, 8), qRgb(255, 0, 0));
}

// Red on top, noise below so that the data is spread over the rows.
QImage redOverNoise()
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    quint32 seed = 12345;
    for (int y = 32; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            seed = seed * 1103515245 + 12345;
            image.setPixel(x, y, seed >> 8);
        }
    return image;
}

QByteArray progressiveJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(100);
    writer.setProgressiveScanWrite(true);
    EXPECT_TRUE(writer.write(image));
    return bytes;
}

TEST(PictureLoaders, TruncatedJpegShowsItsDecodedRowsAndReportsOnce)
{
    const QByteArray jpeg = encodeWithQt(redOverNoise(), "jpeg", 100);
    const qsizetype sos = findMarker(jpeg, 0xda);
    ASSERT_GT(sos, 0);
    const QByteArray truncated = jpeg.left(sos + (jpeg.size() - sos) * 2 / 3);

    GraphicPtr g = loadPictureFromBytes(truncated, "jpg");
    ASSERT_EQ(g->size(), QSize(64, 64));
    const QImage out = drawNatural(*g);
    EXPECT_TRUE(near(out.pixel(10, 5), qRgb(255, 0, 0))) << out.pixel(10, 5);
    EXPECT_EQ(out.pixel(63, 63), qRgb(255, 255, 255));
    EXPECT_EQ(g->takeDrawError(), jpegError(JERR_INPUT_EOF));
    EXPECT_EQ(g->takeDrawError(), QString());

    // Later drawings show the same and report nothing more.
    EXPECT_EQ(drawNatural(*g), out);
    EXPECT_EQ(g->takeDrawError(), QString());
}

TEST(PictureLoaders, TruncatedProgressiveJpegShowsItsCoarserPicture)
{
    const QByteArray jpeg = progressiveJpeg(redOverNoise());
    // Cut inside the last scan: every pixel has its first approximation.
    const QByteArray truncated = jpeg.left(jpeg.size() - 200);
    GraphicPtr g = loadPictureFromBytes(truncated, "jpg");
    const QImage out = drawNatural(*g);
    EXPECT_TRUE(near(out.pixel(10, 5), qRgb(255, 0, 0), 40)) << out.pixel(10, 5);
    EXPECT_EQ(g->takeDrawError(), jpegError(JERR_INPUT_EOF));
    EXPECT_EQ(g->takeDrawError(), QString());
}

TEST(PictureLoaders, JpegWithoutEndMarkerIsComplete)
{
    for (const QByteArray& jpeg :
         {encodeWithQt(redOverNoise(), "jpeg", 100), progressiveJpeg(redOverNoise())}) {
        ASSERT_TRUE(jpeg.endsWith("\xff\xd9"));
        GraphicPtr complete = loadPictureFromBytes(jpeg, "jpg");
        GraphicPtr cut = loadPictureFromBytes(jpeg.chopped(2), "jpg");
        EXPECT_EQ(drawNatural(*cut), drawNatural(*complete));
        EXPECT_EQ(cut->takeDrawError(), QString());
    }
}

TEST(PictureLoaders, CorruptJpegDataIsReportedAtDrawing)
{
    // A bad table index in the scan header only shows when the data is decoded.
    QByteArray jpeg = encodeWithQt(solid(16, 16, Qt::red), "jpeg", 100);
    const qsizetype sos = findMarker(jpeg, 0xda);
    jpeg[sos + 6] = char(0x33); // component 1 uses Huffman tables 3/3, never defined
    GraphicPtr g = loadPictureFromBytes(jpeg, "jpg");
    const QImage out = drawNatural(*g);
    EXPECT_EQ(out.pixel(8, 8), qRgb(255, 255, 255));
    EXPECT_TRUE(g->takeDrawError().startsWith("Erreur JPEG #"));
    EXPECT_EQ(g->takeDrawError(), QString());
}

// Every prefix of every valid fixture either loads and draws, or gives a message.
TEST(PictureLoaders, TruncatedFilesNeverCrash)
{
    QImage noise(24, 16, QImage::Format_ARGB32);
    quint32 seed = 7;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525 + 1013904223;
            noise.setPixel(x, y, seed);
        }
    const QByteArray files[][2] = {
        {encodeWithQt(noise, "bmp"), "bmp"},
        {encodeWithQt(noise, "ico"), "ico"},
        {redBlueGif(), "gif"},
        {encodeWithQt(noise, "tiff"), "tif"},
        {encodeWithQt(noise, "jpeg"), "jpg"},
        {redEmf(), "emf"},
        {greenWmf(), "wmf"},
    };
    for (const auto& [data, ext] : files) {
        for (qsizetype n = 0; n < data.size(); n += qMax<qsizetype>(1, data.size() / 97)) {
            try {
                GraphicPtr g = loadPictureFromBytes(data.left(n), QString(ext));
                drawInto(*g, QSize(30, 30), QRect(-5, -5, 40, 40));
                g->takeDrawError();
            } catch (const AppError& e) {
                EXPECT_FALSE(e.message().isEmpty());
            }
        }
    }
}

} // namespace
