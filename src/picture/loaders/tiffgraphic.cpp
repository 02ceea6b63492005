#include "pictureloaders.h"

#include "apperror.h"
#include "lazylibrary.h"

#include <QIODevice>
#include <QImage>

#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include <tiffio.h>

namespace tavelorn {

namespace {

// libtiff's functions (without their prefix TIFF), from the library opened at the first
// TIFF picture: it and the libraries it brings (WebP, LERC, JBIG...) would otherwise load
// with the program.
struct TiffLibrary
{
    decltype(&::TIFFClose) close;
    decltype(&::TIFFOpenOptionsAlloc) openOptionsAlloc;
    decltype(&::TIFFOpenOptionsSetErrorHandlerExtR) openOptionsSetErrorHandlerExtR;
    decltype(&::TIFFOpenOptionsSetWarningHandlerExtR) openOptionsSetWarningHandlerExtR;
    decltype(&::TIFFOpenOptionsSetMaxSingleMemAlloc) openOptionsSetMaxSingleMemAlloc;
    decltype(&::TIFFClientOpenExt) clientOpenExt;
    decltype(&::TIFFOpenOptionsFree) openOptionsFree;
    decltype(&::TIFFIsTiled) isTiled;
    decltype(&::TIFFGetField) getField;
    decltype(&::TIFFGetFieldDefaulted) getFieldDefaulted;
    decltype(&::TIFFNumberOfTiles) numberOfTiles;
    decltype(&::TIFFNumberOfStrips) numberOfStrips;
    decltype(&::TIFFGetStrileByteCount) getStrileByteCount;
    decltype(&::TIFFScanlineSize64) scanlineSize64;
    decltype(&::TIFFReadScanline) readScanline;
    decltype(&::TIFFRGBAImageOK) rgbaImageOk;
    decltype(&::TIFFRGBAImageBegin) rgbaImageBegin;
    decltype(&::TIFFRGBAImageGet) rgbaImageGet;
    decltype(&::TIFFRGBAImageEnd) rgbaImageEnd;
    decltype(&::TIFFTileSize64) tileSize64;
    decltype(&::TIFFStripSize64) stripSize64;
};

const TiffLibrary& libtiff()
{
    static const TiffLibrary* const library = []() -> const TiffLibrary* {
        static const LazyLibrary lib("libtiff.so.6");
        static TiffLibrary f;
        const bool found =
            lib.bind(f.close, "TIFFClose") &&
            lib.bind(f.openOptionsAlloc, "TIFFOpenOptionsAlloc") &&
            lib.bind(f.openOptionsSetErrorHandlerExtR, "TIFFOpenOptionsSetErrorHandlerExtR") &&
            lib.bind(f.openOptionsSetWarningHandlerExtR, "TIFFOpenOptionsSetWarningHandlerExtR") &&
            lib.bind(f.openOptionsSetMaxSingleMemAlloc, "TIFFOpenOptionsSetMaxSingleMemAlloc") &&
            lib.bind(f.clientOpenExt, "TIFFClientOpenExt") &&
            lib.bind(f.openOptionsFree, "TIFFOpenOptionsFree") &&
            lib.bind(f.isTiled, "TIFFIsTiled") && lib.bind(f.getField, "TIFFGetField") &&
            lib.bind(f.getFieldDefaulted, "TIFFGetFieldDefaulted") &&
            lib.bind(f.numberOfTiles, "TIFFNumberOfTiles") &&
            lib.bind(f.numberOfStrips, "TIFFNumberOfStrips") &&
            lib.bind(f.getStrileByteCount, "TIFFGetStrileByteCount") &&
            lib.bind(f.scanlineSize64, "TIFFScanlineSize64") &&
            lib.bind(f.readScanline, "TIFFReadScanline") &&
            lib.bind(f.rgbaImageOk, "TIFFRGBAImageOK") &&
            lib.bind(f.rgbaImageBegin, "TIFFRGBAImageBegin") &&
            lib.bind(f.rgbaImageGet, "TIFFRGBAImageGet") &&
            lib.bind(f.rgbaImageEnd, "TIFFRGBAImageEnd") &&
            lib.bind(f.tileSize64, "TIFFTileSize64") && lib.bind(f.stripSize64, "TIFFStripSize64");
        return found ? &f : nullptr;
    }();
    if (!library)
        throw AppError(QStringLiteral("Impossible de charger la bibliothèque libtiff.so.6"));
    return *library;
}

QString invalidTiff()
{
    return QStringLiteral("Image TIFF non valide");
}

QIODevice* deviceOf(thandle_t handle)
{
    return static_cast<QIODevice*>(handle);
}

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t size)
{
    return tmsize_t(deviceOf(handle)->read(static_cast<char*>(buffer), size));
}

tmsize_t writeProc(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    QIODevice* device = deviceOf(handle);
    qint64 position = qint64(offset);
    if (whence == SEEK_CUR)
        position += device->pos();
    else if (whence == SEEK_END)
        position += device->size();
    return position >= 0 && device->seek(position) ? toff_t(position) : toff_t(-1);
}

int closeProc(thandle_t)
{
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    return toff_t(deviceOf(handle)->size());
}

// No mapping: a mapped file's pages would count in the program's memory.
int mapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

void unmapProc(thandle_t, void*, toff_t)
{
}

// The library's messages are not for the user; a failure says enough.
int silentHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

struct TiffCloser
{
    void operator()(TIFF* t) const { libtiff().close(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr openTiff(QIODevice& device)
{
    TIFFOpenOptions* options = libtiff().openOptionsAlloc();
    libtiff().openOptionsSetErrorHandlerExtR(options, silentHandler, nullptr);
    libtiff().openOptionsSetWarningHandlerExtR(options, silentHandler, nullptr);
    // Forged tags must not make the library allocate beyond the budget.
    libtiff().openOptionsSetMaxSingleMemAlloc(options, tmsize_t(kMaxDecodeBytes));
    TIFF* t = libtiff().clientOpenExt("picture", "rm", &device, readProc, writeProc, seekProc,
                                      closeProc, sizeProc, mapProc, unmapProc, options);
    libtiff().openOptionsFree(options);
    return TiffPtr(t);
}

// How the file's samples make a pixel, for the layouts read row by row.
struct RowLayout
{
    bool gray = false; // one grey sample, else red, green and blue
    bool whiteIsZero = false;
    int bytes = 1;   // per sample: 1 or 2
    int samples = 3; // per pixel, extra samples included
    int alpha = 0;   // EXTRASAMPLE_ASSOCALPHA, EXTRASAMPLE_UNASSALPHA or 0
};

// The layouts that a row buffer decodes: contiguous strips of 8- or 16-bit RGB with an
// optional alpha, or 8-bit grey, stored top row first. A picture stored in one
// compressed strip then never needs the whole strip decoded in memory.
bool rowLayout(TIFF* t, RowLayout& l)
{
    uint16_t planar = 0, photometric = 0, bits = 0, samples = 0, format = 0, orientation = 0;
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    if (libtiff().isTiled(t) || !libtiff().getField(t, TIFFTAG_PHOTOMETRIC, &photometric))
        return false;
    libtiff().getFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    libtiff().getFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    libtiff().getFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    libtiff().getFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &format);
    libtiff().getFieldDefaulted(t, TIFFTAG_ORIENTATION, &orientation);
    libtiff().getFieldDefaulted(t, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    if (planar != PLANARCONFIG_CONTIG || format != SAMPLEFORMAT_UINT ||
        orientation != ORIENTATION_TOPLEFT)
        return false;
    l.samples = samples;
    l.bytes = bits / 8;
    if (photometric == PHOTOMETRIC_RGB && (bits == 8 || bits == 16)) {
        if (samples == 3 && extraCount == 0)
            return true;
        if (samples >= 4 && extraCount == samples - 3 &&
            (extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA)) {
            l.alpha = extraTypes[0];
            return true;
        }
        return false;
    }
    if ((photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) &&
        bits == 8 && samples == 1) {
        l.gray = true;
        l.whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
        return true;
    }
    return false;
}

// The largest compressed strip or tile: the library reads one whole into memory.
qint64 largestRawChunk(TIFF* t)
{
    const uint32_t count =
        libtiff().isTiled(t) ? libtiff().numberOfTiles(t) : libtiff().numberOfStrips(t);
    qint64 largest = 0;
    for (uint32_t i = 0; i < count; ++i)
        largest = qMax(largest, qint64(libtiff().getStrileByteCount(t, i)));
    return largest;
}

// Sixteen-bit samples to eight and straight alpha to premultiplied, rounded as the
// library's own RGBA reader rounds, so that both readers give the same pixels.
inline uint8_t to8(uint16_t v)
{
    return uint8_t((v + 128) / 257);
}

inline uint8_t premultiply(uint8_t v, uint8_t a)
{
    return uint8_t((v * a + 127) / 255);
}

template <typename Sample>
void convertRow(const Sample* in, QRgb* out, int width, const RowLayout& l)
{
    const auto eight = [](Sample v) {
        if constexpr (sizeof(Sample) == 2)
            return to8(v);
        else
            return uint8_t(v);
    };
    for (int x = 0; x < width; ++x, in += l.samples) {
        if (l.gray) {
            const uint8_t g = l.whiteIsZero ? uint8_t(255 - eight(in[0])) : eight(in[0]);
            out[x] = qRgb(g, g, g);
            continue;
        }
        uint8_t r = eight(in[0]), g = eight(in[1]), b = eight(in[2]), a = 255;
        if (l.alpha) {
            a = eight(in[3]);
            if (l.alpha == EXTRASAMPLE_UNASSALPHA) {
                r = premultiply(r, a);
                g = premultiply(g, a);
                b = premultiply(b, a);
            }
        }
        out[x] = qRgba(r, g, b, a);
    }
}

bool readRows(TIFF* t, QImage& image, const RowLayout& l)
{
    std::vector<uint8_t> row(size_t(libtiff().scanlineSize64(t)));
    const size_t needed = size_t(image.width()) * size_t(l.samples) * size_t(l.bytes);
    if (row.size() < needed)
        return false;
    for (int y = 0; y < image.height(); ++y) {
        if (libtiff().readScanline(t, row.data(), uint32_t(y), 0) != 1)
            return false;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (l.bytes == 2)
            convertRow(reinterpret_cast<const uint16_t*>(row.data()), out, image.width(), l);
        else
            convertRow(row.data(), out, image.width(), l);
    }
    return true;
}

// Any other layout through the library's RGBA reader, which decodes a whole strip or
// tile at a time.
bool readRgba(TIFF* t, QImage& image, bool& hasAlpha)
{
    char message[1024];
    TIFFRGBAImage img;
    if (!libtiff().rgbaImageOk(t, message) || !libtiff().rgbaImageBegin(&img, t, 1, message))
        return false;
    img.req_orientation = ORIENTATION_TOPLEFT;
    hasAlpha = img.alpha != 0;
    // The picture's own buffer takes the library's packed pixels, converted in place.
    auto* raster = reinterpret_cast<uint32_t*>(image.bits());
    const bool ok = libtiff().rgbaImageGet(&img, raster, uint32_t(image.width()),
                                           uint32_t(image.height())) == 1;
    libtiff().rgbaImageEnd(&img);
    if (!ok)
        return false;
    const qsizetype count = qsizetype(image.width()) * image.height();
    for (qsizetype i = 0; i < count; ++i) {
        const uint32_t v = raster[i];
        raster[i] = qRgba(int(TIFFGetR(v)), int(TIFFGetG(v)), int(TIFFGetB(v)), int(TIFFGetA(v)));
    }
    return true;
}

} // namespace

GraphicPtr loadTiffPicture(QIODevice& device)
{
    const QByteArray head = device.peek(4);
    // Classic TIFF or BigTIFF, either byte order.
    if (head != QByteArray("II*\0", 4) && head != QByteArray("MM\0*", 4) &&
        head != QByteArray("II+\0", 4) && head != QByteArray("MM\0+", 4))
        throw AppError(invalidTiff());
    const TiffPtr t = openTiff(device);
    uint32_t width = 0, height = 0;
    if (!t || !libtiff().getField(t.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !libtiff().getField(t.get(), TIFFTAG_IMAGELENGTH, &height))
        throw AppError(invalidTiff());
    if (!pictureSizeAllowed(width, height))
        throw AppError(pictureTooLargeMessage(width, height));

    RowLayout layout;
    const bool byRows = rowLayout(t.get(), layout);
    qint64 chunk = largestRawChunk(t.get());
    if (byRows) {
        chunk += qint64(libtiff().scanlineSize64(t.get()));
    } else {
        uint16_t planar = PLANARCONFIG_CONTIG, samples = 1;
        libtiff().getFieldDefaulted(t.get(), TIFFTAG_PLANARCONFIG, &planar);
        libtiff().getFieldDefaulted(t.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
        const qint64 decoded = qint64(libtiff().isTiled(t.get()) ? libtiff().tileSize64(t.get())
                                                                 : libtiff().stripSize64(t.get()));
        chunk += planar == PLANARCONFIG_SEPARATE ? decoded * samples : decoded;
    }
    if (qint64(width) * height * 4 + chunk > kMaxDecodeBytes)
        throw AppError(pictureTooLargeMessage(width, height));

    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        throw AppError(pictureTooLargeMessage(width, height));
    bool hasAlpha = layout.alpha != 0;
    if (!(byRows ? readRows(t.get(), image, layout) : readRgba(t.get(), image, hasAlpha)))
        throw AppError(invalidTiff());
    if (!hasAlpha)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return makeRasterGraphic(std::move(image));
}

} // namespace tavelorn
