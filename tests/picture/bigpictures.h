#pragma once

// Writers of large picture files, row by row, so that the test itself stays small. The
// content is smooth colour ramps: real pictures, not blank ones, that compress well.

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include <jpeglib.h>
#include <tiffio.h>

inline uchar ramp(qint64 v, qint64 range)
{
    return uchar(range > 1 ? v * 255 / (range - 1) : 0);
}

struct JpegSpec
{
    int width;
    int height;
    bool progressive = false;
    bool cmyk = false;
    bool subsampled = true; // 4:2:0, else 4:4:4
    int quality = 90;
    std::optional<std::array<uchar, 4>> solid = {}; // every pixel these samples, else ramps
};

inline QByteArray libjpegBytes(const JpegSpec& s)
{
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = JDIMENSION(s.width);
    c.image_height = JDIMENSION(s.height);
    c.input_components = s.cmyk ? 4 : 3;
    c.in_color_space = s.cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, s.quality, TRUE);
    if (!s.subsampled)
        for (int i = 0; i < c.num_components; ++i)
            c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    if (s.progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(size_t(s.width) * size_t(c.input_components));
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            JSAMPLE* p = &row[size_t(x) * size_t(c.input_components)];
            const std::array<uchar, 4> ramps = {ramp(x, s.width), ramp(y, s.height),
                                                ramp(x + y, s.width + s.height), 40};
            std::copy_n(s.solid ? s.solid->begin() : ramps.begin(), c.input_components, p);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    const QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(outSize));
    std::free(out);
    return bytes;
}

inline bool writeJpeg(const QString& path, const JpegSpec& s)
{
    const QByteArray bytes = libjpegBytes(s);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline void put16(QByteArray& b, quint16 v)
{
    b.append(char(v & 0xFF)).append(char(v >> 8));
}

inline void put32(QByteArray& b, quint32 v)
{
    put16(b, quint16(v & 0xFFFF));
    put16(b, quint16(v >> 16));
}

// bits 24: plain rows; 32: with an alpha channel (BITMAPV4 bit fields); 8: run-length
// encoded, a few bytes per row whatever its width.
inline bool writeBmp(const QString& path, int width, int height, int bits)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const bool rle = bits == 8;
    const quint32 infoSize = bits == 32 ? 108 : 40;
    const quint32 palette = rle ? 256 * 4 : 0;
    const quint32 offset = 14 + infoSize + palette;
    const qint64 stride = (qint64(width) * bits + 31) / 32 * 4;
    QByteArray h("BM");
    put32(h, rle ? 0 : quint32(offset + stride * height));
    put32(h, 0);
    put32(h, offset);
    put32(h, infoSize);
    put32(h, quint32(width));
    put32(h, quint32(height));
    put16(h, 1);
    put16(h, quint16(bits));
    put32(h, rle ? 1 : bits == 32 ? 3 : 0); // BI_RLE8, BI_BITFIELDS, BI_RGB
    put32(h, 0);
    put32(h, 2835);
    put32(h, 2835);
    put32(h, rle ? 256 : 0);
    put32(h, 0);
    if (bits == 32) {
        put32(h, 0x00FF0000);
        put32(h, 0x0000FF00);
        put32(h, 0x000000FF);
        put32(h, 0xFF000000);
        put32(h, 0x73524742); // 'sRGB'
        h.append(QByteArray(48, '\0'));
    }
    for (quint32 i = 0; i < palette / 4; ++i)
        put32(h, i * 0x010101u);
    f.write(h);
    QByteArray row;
    for (int y = 0; y < height; ++y) {
        row.clear();
        if (rle) {
            for (int x = 0; x < width; x += 255) {
                row.append(char(qMin(255, width - x)));
                row.append(char(ramp(y, height)));
            }
            row.append('\0').append('\0');
        } else {
            row.resize(stride);
            for (int x = 0; x < width; ++x) {
                uchar* p = reinterpret_cast<uchar*>(row.data()) + x * (bits / 8);
                p[0] = ramp(x, width);
                p[1] = ramp(y, height);
                p[2] = ramp(x + y, width + height);
                if (bits == 32)
                    p[3] = 200;
            }
        }
        f.write(row);
    }
    if (rle)
        f.write(QByteArray("\0\1", 2));
    return f.error() == QFile::NoError;
}

struct TiffSpec
{
    int width;
    int height;
    int bits = 8;          // per sample: 8 or 16
    bool alpha = false;    // a fourth sample
    bool oneStrip = false; // the whole picture in one compressed strip
    bool gray = false;     // one grey sample instead of red, green and blue
    bool separate = false; // one plane per sample
    int tile = 0;          // tiles of this side instead of strips
    bool bigTiff = false;
    bool associated = false; // the alpha premultiplied
    bool detail = true;      // low bits of 16-bit samples that compress badly
};

// Smooth ramps with detail in the low bits of 16-bit samples and a varying alpha.
inline quint16 tiffSample(const TiffSpec& s, int x, int y, int k)
{
    const qint64 w = qMax(1, s.width - 1), h = qMax(1, s.height - 1);
    quint16 v = 0;
    switch (k) {
    case 0:
        v = quint16(x * 65535 / w);
        break;
    case 1:
        v = quint16(y * 65535 / h);
        break;
    case 2:
        v = quint16((x + y) * 65535 / (w + h));
        break;
    default:
        v = quint16(65535 - (x + 2 * y) * 40000 / (w + 2 * h));
        break;
    }
    if (!s.detail)
        v = quint16((v >> 8) * 257);
    if (s.associated && k < 3) // no more than the alpha
        v = quint16(quint32(v) * tiffSample(s, x, y, 3) / 65535);
    return s.bits == 16 ? v : quint16(v >> 8);
}

inline bool writeTiff(const QString& path, const TiffSpec& s)
{
    TIFF* t = TIFFOpen(QFile::encodeName(path).constData(), s.bigTiff ? "w8" : "w");
    if (!t)
        return false;
    const int colours = s.gray ? 1 : 3;
    const int samples = colours + (s.alpha ? 1 : 0);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(s.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(s.height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(s.bits));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(samples));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, s.gray ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, s.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    if (s.tile) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, uint32_t(s.tile));
        TIFFSetField(t, TIFFTAG_TILELENGTH, uint32_t(s.tile));
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(s.oneStrip ? s.height : 16));
    }
    if (s.alpha) {
        const uint16_t extra = s.associated ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, uint16_t(1), &extra);
    }
    // Samples of one plane (or all, interleaved) for pixels x0..x1 of row y.
    const auto fill = [&](uchar* out, int x0, int x1, int y, int plane) {
        const int first = plane < 0 ? 0 : plane, last = plane < 0 ? samples : plane + 1;
        for (int x = x0; x < x1; ++x)
            for (int k = first; k < last; ++k) {
                const quint16 v = tiffSample(s, x, y, s.gray && k > 0 ? 3 : k);
                if (s.bits == 16) {
                    std::memcpy(out, &v, 2);
                    out += 2;
                } else {
                    *out++ = uchar(v);
                }
            }
    };
    const size_t bytes = size_t(s.bits / 8);
    bool ok = true;
    const int planes = s.separate ? samples : 1;
    if (s.tile) {
        const int perPixel = s.separate ? 1 : samples;
        std::vector<uchar> tile(size_t(s.tile) * size_t(s.tile) * size_t(perPixel) * bytes);
        for (int p = 0; p < planes && ok; ++p)
            for (int ty = 0; ty < s.height && ok; ty += s.tile)
                for (int tx = 0; tx < s.width && ok; tx += s.tile) {
                    std::fill(tile.begin(), tile.end(), uchar(0));
                    for (int y = ty; y < qMin(ty + s.tile, s.height); ++y)
                        fill(&tile[size_t(y - ty) * size_t(s.tile) * size_t(perPixel) * bytes], tx,
                             qMin(tx + s.tile, s.width), y, s.separate ? p : -1);
                    ok = TIFFWriteTile(t, tile.data(), uint32_t(tx), uint32_t(ty), 0, uint16_t(p)) >
                         0;
                }
    } else {
        std::vector<uchar> row(size_t(s.width) * size_t(samples) * bytes);
        for (int p = 0; p < planes && ok; ++p)
            for (int y = 0; y < s.height && ok; ++y) {
                fill(row.data(), 0, s.width, y, s.separate ? p : -1);
                ok = TIFFWriteScanline(t, row.data(), uint32_t(y), uint16_t(p)) == 1;
            }
    }
    TIFFClose(t);
    return ok;
}

// A GIF of one frame; LZW as the format wants it, with runs of one colour per row.
inline bool writeGif(const QString& path, int width, int height)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray h("GIF89a");
    put16(h, quint16(width));
    put16(h, quint16(height));
    h.append(char(0xF7)).append('\0').append('\0'); // global table of 256 colours
    for (int i = 0; i < 256; ++i)
        h.append(char(i)).append(char(255 - i)).append(char(i / 2));
    h.append(',');
    put16(h, 0);
    put16(h, 0);
    put16(h, quint16(width));
    put16(h, quint16(height));
    h.append('\0').append(char(8)); // no local table; minimum code size 8
    f.write(h);

    // The encoder: a dictionary of (prefix code, byte) pairs.
    constexpr int kClear = 256, kEnd = 257;
    std::vector<int> dict(4096 * 256, -1);
    int next = 258, width9 = 9;
    quint32 acc = 0;
    int accBits = 0;
    QByteArray block, out;
    const auto putCode = [&](int code) {
        acc |= quint32(code) << accBits;
        accBits += width9;
        while (accBits >= 8) {
            block.append(char(acc & 0xFF));
            acc >>= 8;
            accBits -= 8;
            if (block.size() == 255) {
                out.append(char(255)).append(block);
                block.clear();
            }
        }
    };
    const auto reset = [&] {
        putCode(kClear);
        std::fill(dict.begin(), dict.end(), -1);
        next = 258;
        width9 = 9;
    };
    reset();
    int prefix = -1;
    for (int y = 0; y < height; ++y) {
        const int colour = ramp(y, height);
        for (int x = 0; x < width; ++x) {
            if (prefix < 0) {
                prefix = colour;
                continue;
            }
            int& slot = dict[size_t(prefix) * 256 + size_t(colour)];
            if (slot >= 0) {
                prefix = slot;
                continue;
            }
            putCode(prefix);
            if (next < 4096) {
                slot = next++;
                if (next > (1 << width9) && width9 < 12)
                    ++width9;
            } else {
                reset();
            }
            prefix = colour;
        }
        if (out.size() > (1 << 20)) {
            f.write(out);
            out.clear();
        }
    }
    putCode(prefix);
    putCode(kEnd);
    if (accBits > 0)
        block.append(char(acc & 0xFF));
    if (!block.isEmpty())
        out.append(char(block.size())).append(block);
    out.append('\0').append(';');
    f.write(out);
    return f.error() == QFile::NoError;
}

// An icon whose one image is a PNG of the given size.
inline bool writePngIcon(const QString& path, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        return false;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgba(ramp(x, width), ramp(y, height), 90, 255);
    }
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            return false;
    }
    QByteArray ico;
    put16(ico, 0);
    put16(ico, 1);
    put16(ico, 1);
    ico.append('\0').append('\0').append('\0').append('\0'); // 256 x 256 in the directory
    put16(ico, 1);
    put16(ico, 32);
    put32(ico, quint32(png.size()));
    put32(ico, 22);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(ico + png) == ico.size() + png.size();
}

// A WMF that draws one bitmap of the given size over its whole 450 × 350 frame: 24-bit
// rows, or run-length encoded ones of a few bytes each.
inline bool writeWmfWithBitmap(const QString& path, int width, int height, bool rle)
{
    QByteArray dib;
    put32(dib, 40);
    put32(dib, quint32(width));
    put32(dib, quint32(height));
    put16(dib, 1);
    put16(dib, rle ? 8 : 24);
    put32(dib, rle ? 1 : 0); // BI_RLE8, BI_RGB
    for (int i = 0; i < 5; ++i)
        put32(dib, i < 3 || !rle ? 0 : 256);
    if (rle) {
        for (quint32 i = 0; i < 256; ++i)
            put32(dib, i * 0x010101u);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; x += 255)
                dib.append(char(qMin(255, width - x))).append(char(ramp(y, height)));
            dib.append('\0').append('\0');
        }
        dib.append('\0').append('\1');
    } else {
        const qsizetype stride = (qsizetype(width) * 3 + 3) / 4 * 4;
        QByteArray row(stride, '\0');
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                row[3 * x] = char(ramp(x, width));
                row[3 * x + 1] = char(ramp(y, height));
                row[3 * x + 2] = char(90);
            }
            dib.append(row);
        }
    }
    if (dib.size() % 2)
        dib.append('\0');

    QByteArray records;
    const auto record = [&](quint16 function, const QByteArray& params) {
        put32(records, quint32(3 + params.size() / 2));
        put16(records, function);
        records.append(params);
    };
    QByteArray p;
    put16(p, 0);
    put16(p, 0);
    record(0x020B, p); // SETWINDOWORG
    p.clear();
    put16(p, 350);
    put16(p, 450);
    record(0x020C, p); // SETWINDOWEXT
    p.clear();
    put32(p, 0x00CC0020); // SRCCOPY
    put16(p, 0);          // DIB_RGB_COLORS
    for (const int v : {height, width, 0, 0, 350, 450, 0, 0})
        put16(p, quint16(v));
    record(0x0F43, p + dib); // STRETCHDIB
    record(0x0000, {});      // EOF
    // Placeable: 450 × 350 units at 96 a inch.
    QByteArray h;
    put32(h, 0x9AC6CDD7);
    for (const int v : {0, 0, 0, 450, 350, 96})
        put16(h, quint16(v));
    put32(h, 0);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= quint16(uchar(h[2 * i]) | (uchar(h[2 * i + 1]) << 8));
    put16(h, sum);
    put16(h, 1);
    put16(h, 9);
    put16(h, 0x0300);
    put32(h, quint32((18 + records.size()) / 2));
    put16(h, 0);
    put32(h, quint32(3 + (22 + dib.size()) / 2));
    put16(h, 0);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(h + records) == h.size() + records.size();
}

// Metafiles of many small drawing records over a 450 × 450 frame, as a record bomb is
// made: the kind of record, and how many.
enum class MetafileRecords
{
    EmfLines,    // MoveTo and LineTo by turns
    EmfEllipses, // one ellipse a record
    EmfSaveDc,   // SaveDC, which draws nothing but stacks a copy of the drawing state
    EmfComments, // one comment record of count bytes, then a rectangle
    WmfLines,    // MoveTo and LineTo by turns
};

// The metafile as bytes, written to out in pieces so that files of hundreds of megabytes
// never sit in memory whole.
template <typename Out> bool streamMetafileRecords(Out&& out, MetafileRecords kind, qint64 count)
{
    QByteArray chunk;
    const auto flush = [&](bool always) {
        if (!always && chunk.size() < (1 << 20))
            return true;
        const bool ok = out(chunk);
        chunk.clear();
        return ok;
    };
    if (kind == MetafileRecords::WmfLines) {
        const qint64 words = 9 + 5 * 2 + 5 * count + 3;
        QByteArray h;
        put32(h, 0x9AC6CDD7);
        for (const int v : {0, 0, 0, 450, 450, 96})
            put16(h, quint16(v));
        put32(h, 0);
        quint16 sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= quint16(uchar(h[2 * i]) | (uchar(h[2 * i + 1]) << 8));
        put16(h, sum);
        for (const int v : {1, 9, 0x0300})
            put16(h, quint16(v));
        put32(h, quint32(words));
        put16(h, 0);
        put32(h, 5);
        put16(h, 0);
        chunk += h;
        for (const quint16 f : {0x020B, 0x020C}) { // window origin 0, 0 and extent 450
            put32(chunk, 5);
            put16(chunk, f);
            put16(chunk, f == 0x020B ? 0 : 450);
            put16(chunk, f == 0x020B ? 0 : 450);
        }
        for (qint64 i = 0; i < count; ++i) {
            put32(chunk, 5);
            put16(chunk, i % 2 ? 0x0213 : 0x0214); // LINETO, MOVETO: y, x
            put16(chunk, quint16((i * 7) % 450));
            put16(chunk, quint16((i * 3) % 450));
            if (!flush(false))
                return false;
        }
        put32(chunk, 3);
        put16(chunk, 0);
        return flush(true);
    }

    const qint64 recordSize = kind == MetafileRecords::EmfEllipses ? 24
                              : kind == MetafileRecords::EmfSaveDc ? 8
                                                                   : 16;
    const qint64 body =
        kind == MetafileRecords::EmfComments ? (12 + (count + 3) / 4 * 4) + 24 : recordSize * count;
    put32(chunk, 1);
    put32(chunk, 88);
    for (const int v : {0, 0, 449, 449, 0, 0, 450 * 2540 / 96, 450 * 2540 / 96})
        put32(chunk, quint32(v));
    put32(chunk, 0x464D4520);
    put32(chunk, 0x10000);
    put32(chunk, quint32(88 + body + 20)); // nBytes
    put32(chunk, quint32(count + 2));      // nRecords
    put16(chunk, 1);
    put16(chunk, 0);
    for (const int v : {0, 0, 0, 1920, 1080, 508, 286})
        put32(chunk, quint32(v));
    if (kind == MetafileRecords::EmfComments) {
        const qint64 padded = (count + 3) / 4 * 4;
        put32(chunk, 70); // EMR_COMMENT
        put32(chunk, quint32(12 + padded));
        put32(chunk, quint32(count));
        for (qint64 done = 0; done < padded; done += 4096) {
            chunk.append(QByteArray(int(qMin<qint64>(4096, padded - done)), 'c'));
            if (!flush(false))
                return false;
        }
        for (const int v : {43, 24, 10, 10, 400, 400}) // a rectangle
            put32(chunk, quint32(v));
    } else {
        for (qint64 i = 0; i < count; ++i) {
            const quint32 x = quint32((i * 7) % 440), y = quint32((i * 3) % 440);
            switch (kind) {
            case MetafileRecords::EmfLines:
                for (const quint32 v : {i % 2 ? 54u : 27u, 16u, x, y}) // LINETO, MOVETOEX
                    put32(chunk, v);
                break;
            case MetafileRecords::EmfEllipses:
                for (const quint32 v : {42u, 24u, x, y, x + 9, y + 9})
                    put32(chunk, v);
                break;
            default:
                put32(chunk, 33); // EMR_SAVEDC
                put32(chunk, 8);
                break;
            }
            if (!flush(false))
                return false;
        }
    }
    for (const int v : {14, 20, 0, 16, 20}) // EMR_EOF
        put32(chunk, quint32(v));
    return flush(true);
}

inline QByteArray metafileRecords(MetafileRecords kind, qint64 count)
{
    QByteArray all;
    streamMetafileRecords([&](const QByteArray& piece) { return all += piece, true; }, kind, count);
    return all;
}

inline bool writeMetafileRecords(const QString& path, MetafileRecords kind, qint64 count)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           streamMetafileRecords(
               [&](const QByteArray& piece) { return f.write(piece) == piece.size(); }, kind,
               count) &&
           f.flush();
}
