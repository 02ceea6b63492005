#include "pictureloaders.h"

#include "apperror.h"
#include "lazylibrary.h"

#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

namespace tavelorn {

namespace {

QString invalidMetafile()
{
    return QStringLiteral("MetaFichier incorrect");
}

// The converters, from their libraries opened at the first metafile: the EMF one alone
// (with the libraries it brings) took a tenth of the window's start.
struct Emf2SvgLibrary
{
    decltype(&::emf2svg) emf2svg;
};

struct WmfLibrary
{
    decltype(&::wmf_api_create) apiCreate;
    decltype(&::wmf_api_destroy) apiDestroy;
    decltype(&::wmf_svg_function) svgFunction;
    // from libwmflite, which libwmf brings
    decltype(&::wmf_mem_open) memOpen;
    decltype(&::wmf_scan) scan;
    decltype(&::wmf_display_size) displaySize;
    decltype(&::wmf_play) play;
    decltype(&::wmf_mem_close) memClose;
};

[[noreturn]] void throwLibraryMissing(const char* soname)
{
    throw AppError(QStringLiteral("Impossible de charger la bibliothèque ") +
                   QString::fromLatin1(soname));
}

const Emf2SvgLibrary& libemf2svg()
{
    static constexpr const char* kSoname = "libemf2svg.so.1";
    static const Emf2SvgLibrary* const library = []() -> const Emf2SvgLibrary* {
        static const LazyLibrary lib(kSoname);
        static Emf2SvgLibrary f;
        return lib.bind(f.emf2svg, "emf2svg") ? &f : nullptr;
    }();
    if (!library)
        throwLibraryMissing(kSoname);
    return *library;
}

const WmfLibrary& libwmf()
{
    static constexpr const char* kSoname = "libwmf-0.2.so.7";
    static const WmfLibrary* const library = []() -> const WmfLibrary* {
        static const LazyLibrary lib(kSoname);
        static WmfLibrary f;
        const bool found =
            lib.bind(f.apiCreate, "wmf_api_create") && lib.bind(f.apiDestroy, "wmf_api_destroy") &&
            lib.bind(f.svgFunction, "wmf_svg_function") && lib.bind(f.memOpen, "wmf_mem_open") &&
            lib.bind(f.scan, "wmf_scan") && lib.bind(f.displaySize, "wmf_display_size") &&
            lib.bind(f.play, "wmf_play") && lib.bind(f.memClose, "wmf_mem_close");
        return found ? &f : nullptr;
    }();
    if (!library)
        throwLibraryMissing(kSoname);
    return *library;
}

// A metafile converted to SVG and drawn as vectors at the destination's size.
class MetafileGraphic : public Graphic
{
public:
    MetafileGraphic(std::unique_ptr<QSvgRenderer> renderer, QSize size)
        : m_renderer(std::move(renderer)), m_size(size)
    {
    }

    QSize size() const override { return m_size; }

    void draw(QPainter& painter, const QRect& dest) const override
    {
        if (dest.isEmpty())
            return;
        painter.save();
        m_renderer->render(&painter, QRectF(dest));
        painter.restore();
    }

private:
    std::unique_ptr<QSvgRenderer> m_renderer;
    QSize m_size;
};

GraphicPtr makeMetafile(const QByteArray& svg, QSize size, const QRectF& viewBox)
{
    if (!pictureSizeAllowed(size.width(), size.height()))
        throw AppError(pictureTooLargeMessage(size.width(), size.height()));
    auto renderer = std::make_unique<QSvgRenderer>();
    if (!renderer->load(svg) || !renderer->isValid())
        throw AppError(invalidMetafile());
    renderer->setAspectRatioMode(Qt::IgnoreAspectRatio);
    if (viewBox.isValid())
        renderer->setViewBox(viewBox);
    return std::make_shared<MetafileGraphic>(std::move(renderer), size);
}

qint32 le32(const QByteArray& data, qsizetype offset)
{
    return qint32(quint32(uchar(data[offset])) | (quint32(uchar(data[offset + 1])) << 8) |
                  (quint32(uchar(data[offset + 2])) << 16) |
                  (quint32(uchar(data[offset + 3])) << 24));
}

// 0.01 mm to pixels at 96 dots per inch.
qint64 hundredthMmToPixels(qint64 v)
{
    return qint64(std::llround(double(v) * 96.0 / 2540.0));
}

// libwmf needs font files even for pictures without text; the metric-compatible
// faces stand in for the PostScript standard fonts.
struct WmfFonts
{
    char* dirs[4] = {const_cast<char*>("/usr/share/fonts/truetype/liberation"),
                     const_cast<char*>("/usr/share/fonts/truetype/dejavu"),
                     const_cast<char*>("/usr/share/fonts/truetype/crosextra"), nullptr};
    wmfMapping ps[16];

    WmfFonts()
    {
        static const char* const map[][2] = {
            {"Times-Roman", "LiberationSerif-Regular.ttf"},
            {"Times-Italic", "LiberationSerif-Italic.ttf"},
            {"Times-Bold", "LiberationSerif-Bold.ttf"},
            {"Times-BoldItalic", "LiberationSerif-BoldItalic.ttf"},
            {"Helvetica", "LiberationSans-Regular.ttf"},
            {"Helvetica-Oblique", "LiberationSans-Italic.ttf"},
            {"Helvetica-Bold", "LiberationSans-Bold.ttf"},
            {"Helvetica-BoldOblique", "LiberationSans-BoldItalic.ttf"},
            {"Courier", "LiberationMono-Regular.ttf"},
            {"Courier-Oblique", "LiberationMono-Italic.ttf"},
            {"Courier-Bold", "LiberationMono-Bold.ttf"},
            {"Courier-BoldOblique", "LiberationMono-BoldItalic.ttf"},
            {"Symbol", "DejaVuSans.ttf"},
            {"ZapfDingbats", "DejaVuSans.ttf"},
        };
        int i = 0;
        for (const auto& m : map)
            ps[i++] = {const_cast<char*>(m[0]), const_cast<char*>(m[1]), FT_ENCODING_NONE};
        ps[i] = {nullptr, nullptr, FT_ENCODING_NONE};
    }
};

int appendToString(char* text, void* context)
{
    static_cast<std::string*>(context)->append(text);
    return 0;
}

int clearString(void* context)
{
    static_cast<std::string*>(context)->clear();
    return 0;
}

// libwmf gives a bitmap its destination size and then scales it once more by
// destination / source; a plain scale is dropped so that the bitmap fills its
// destination once.
QByteArray fixWmfImageScale(const std::string& svg)
{
    QString text = QString::fromStdString(svg);
    static const QRegularExpression scale(
        QStringLiteral(R"re((<image\b[^>]*?)\s*transform="matrix\(([-0-9.]+) ([-0-9.]+) )re"
                       R"re(([-0-9.]+) ([-0-9.]+) ([-0-9.]+) ([-0-9.]+)\)")re"));
    qsizetype from = 0;
    for (;;) {
        const QRegularExpressionMatch m = scale.match(text, from);
        if (!m.hasMatch())
            break;
        const bool plainScale = m.captured(2).toDouble() > 0 && m.captured(5).toDouble() > 0 &&
                                m.captured(3).toDouble() == 0 && m.captured(4).toDouble() == 0 &&
                                m.captured(6).toDouble() == 0 && m.captured(7).toDouble() == 0;
        if (plainScale) {
            text.replace(m.capturedStart(), m.capturedLength(), m.captured(1));
            from = m.capturedStart() + m.captured(1).size();
        } else {
            from = m.capturedEnd();
        }
    }
    return text.toUtf8();
}

quint16 le16(const QByteArray& data, qsizetype offset)
{
    return quint16(uchar(data[offset]) | (uchar(data[offset + 1]) << 8));
}

// The bitmaps a metafile carries. Each goes through the converter, a PNG inside the SVG
// text and the SVG renderer, some twenty bytes a pixel in all; together they get a
// quarter of the picture budget.
struct EmbeddedBitmaps
{
    static constexpr qint64 kMaxPixels = kMaxPicturePixels / 4;
    qint64 pixels = 0;
    QSize largest;

    void add(qint64 width, qint64 height)
    {
        pixels += width * height;
        if (width * height > qint64(largest.width()) * largest.height())
            largest = QSize(int(qMin<qint64>(width, INT_MAX)), int(qMin<qint64>(height, INT_MAX)));
    }
    void check() const
    {
        if (pixels > kMaxPixels)
            throw AppError(pictureTooLargeMessage(largest.width(), largest.height()));
    }
};

// The work a metafile may ask of its conversion. The converters spend a few
// microseconds and a few hundred bytes on each record and each point, and every record
// that draws becomes an SVG element costing some fifty microseconds to parse and draw:
// a file of a million small records would take half a minute and gigabytes. Bitmaps
// have their own budget above; comments are skipped by the converters and cost only
// their bytes.
struct RecordBudget
{
    static constexpr qint64 kMaxRecords = 100'000;
    // Records other than bitmaps.
    static constexpr qint64 kMaxDrawingBytes = qint64{4} * 1024 * 1024;
    // 16 megapixels at 32 bits, and more
    static constexpr qint64 kMaxBytes = qint64{80} * 1024 * 1024;
    qint64 records = 0;
    qint64 drawingBytes = 0;
    qint64 bytes = 0;

    // False once a record of size bytes would go beyond the budget.
    bool add(qint64 size, bool drawing)
    {
        ++records;
        bytes += size;
        if (drawing)
            drawingBytes += size;
        return records <= kMaxRecords && drawingBytes <= kMaxDrawingBytes && bytes <= kMaxBytes;
    }
};

// What the converted SVG asks of the SVG renderer: its elements and the bytes of its
// paths and texts, embedded pictures aside (their pixels are in the bitmap budget).
// Parsing and drawing cost grows with both.
bool svgWithinBudget(const QByteArray& svg)
{
    static constexpr qint64 kMaxElements = 3000;
    static constexpr qint64 kMaxDrawingBytes = qint64{1024} * 1024;
    static constexpr char kDataUri[] = "\"data:";
    qint64 elements = 0;
    qint64 drawingBytes = 0;
    const char* p = svg.constData();
    const char* const end = p + svg.size();
    while (p < end) {
        if (*p == '<' && end - p > 1 && std::isalpha(uchar(p[1]))) {
            ++elements;
        } else if (*p == '"' && size_t(end - p) >= sizeof kDataUri - 1 &&
                   std::memcmp(p, kDataUri, sizeof kDataUri - 1) == 0) {
            const void* close = std::memchr(p + 1, '"', size_t(end - p - 1));
            if (!close)
                return false;
            p = static_cast<const char*>(close) + 1;
            continue;
        }
        ++drawingBytes;
        ++p;
    }
    return elements <= kMaxElements && drawingBytes <= kMaxDrawingBytes;
}

// The size a bitmap header at offset records; an empty size when there is none.
QSize dibSize(const QByteArray& data, qsizetype offset, qint64 available)
{
    if (offset < 0 || available < 12 || offset + 12 > data.size())
        return {};
    const qint64 headerSize = quint32(le32(data, offset));
    if (headerSize == 12)
        return QSize(le16(data, offset + 4), le16(data, offset + 6));
    if (headerSize >= 40 && available >= 40 && offset + 40 <= data.size())
        return QSize(qMax(0, le32(data, offset + 4)),
                     int(qMin<qint64>(qAbs(qint64(le32(data, offset + 8))), INT_MAX)));
    return {};
}

// Checks a device-independent bitmap of available bytes at offset: libwmf trusts its
// header, and a forged size or colour count makes it spend seconds or gigabytes.
bool dibIsSane(const QByteArray& data, qsizetype offset, qint64 available, EmbeddedBitmaps& bitmaps)
{
    if (available < 12)
        return false;
    const qint64 headerSize = quint32(le32(data, offset));
    qint64 width = 0, height = 0, colours = 0, entrySize = 4;
    int bitCount = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = le16(data, offset + 4);
        height = le16(data, offset + 6);
        bitCount = le16(data, offset + 10);
        entrySize = 3;
    } else if (headerSize >= 40 && headerSize <= 124 && available >= 40) {
        width = le32(data, offset + 4);
        height = qAbs(qint64(le32(data, offset + 8)));
        bitCount = le16(data, offset + 14);
        compression = quint32(le32(data, offset + 16));
        colours = quint32(le32(data, offset + 32));
    } else {
        return false;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return false;
    if (colours == 0 && bitCount <= 8)
        colours = qint64(1) << bitCount;
    qint64 tableSize = colours * entrySize;
    if (compression == 3 && headerSize == 40)
        tableSize += 12; // the three colour masks
    if (colours > 65536 || headerSize + tableSize > available || !pictureSizeAllowed(width, height))
        return false;
    bitmaps.add(width, height);
    const qint64 bitsSize = available - headerSize - tableSize;
    switch (compression) {
    case 0: // uncompressed: every row must be there
    case 3:
        return (width * bitCount + 31) / 32 * 4 * height <= bitsSize;
    case 1: // run-length: one pair of bytes covers at most 255 pixels
    case 2:
        return width * height <= bitsSize * 128;
    default:
        return false;
    }
}

// Walks the records of a WMF, checking their sizes, their budget and the bitmaps they
// carry; the offset after the last record, or -1 when the file is refused.
qsizetype checkWmfRecords(const QByteArray& data, qsizetype header, EmbeddedBitmaps& bitmaps,
                          qint64& largest)
{
    RecordBudget budget;
    qsizetype pos = header + 18;
    largest = 3;
    while (pos + 6 <= data.size()) {
        const qint64 size = qint64(quint32(le32(data, pos))) * 2;
        const quint16 function = le16(data, pos + 4);
        if (size < 6 || size > data.size() - pos)
            return -1;
        largest = qMax(largest, size / 2);
        if (function == 0x0000) // META_EOF
            return pos + size;
        // Bytes before the bitmap in each record that carries one.
        qsizetype dib = -1;
        switch (function) {
        case 0x0940: // META_DIBBITBLT
            dib = 16;
            break;
        case 0x0B41: // META_DIBSTRETCHBLT
            dib = 20;
            break;
        case 0x0F43: // META_STRETCHDIB
            dib = 22;
            break;
        case 0x0D33: // META_SETDIBTODEV
            dib = 18;
            break;
        case 0x0142: // META_DIBCREATEPATTERNBRUSH
            dib = 4;
            break;
        default:
            break;
        }
        // The blits' short form, of (function >> 8) + 3 words, has no bitmap.
        if ((function == 0x0940 || function == 0x0B41) && size == qint64((function >> 8) + 3) * 2)
            dib = -1;
        if (dib >= 0) {
            const qsizetype at = pos + 6 + dib;
            if (!dibIsSane(data, at, pos + size - at, bitmaps))
                return -1;
        }
        if (!budget.add(size, dib < 0 && function != 0x0626)) // META_ESCAPE: comments
            return -1;
        pos += size;
    }
    return pos;
}

void put32(QByteArray& data, qsizetype offset, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        data[offset + i] = char((v >> (8 * i)) & 0xff);
}

// The records of a WMF up to its end record, the header holding their real size and
// largest record (libwmf allocates what the header says and trusts records to fit in
// it); an empty array when the file is refused.
QByteArray sanitizedWmf(const QByteArray& data, EmbeddedBitmaps& bitmaps)
{
    if (data.size() < 18)
        return {};
    const qsizetype header = le32(data, 0) == qint32(0x9AC6CDD7) ? 22 : 0;
    if (data.size() < header + 18 || le16(data, header + 2) != 9)
        return {};
    qint64 largest = 0;
    const qsizetype end = checkWmfRecords(data, header, bitmaps, largest);
    if (end < 0)
        return {};
    QByteArray copy = data.left(end); // the library takes a non-const buffer
    put32(copy, header + 6, quint32((copy.size() - header) / 2)); // Size, in words
    put32(copy, header + 12, quint32(largest));                   // MaxRecord
    return copy;
}

// Where the offset of the bitmap header lies in each EMF record that carries a bitmap.
qsizetype emfBitmapOffsetField(qint32 type)
{
    switch (type) {
    case 76:  // EMR_BITBLT
    case 77:  // EMR_STRETCHBLT
    case 78:  // EMR_MASKBLT
    case 114: // EMR_ALPHABLEND
    case 116: // EMR_TRANSPARENTBLT
        return 84;
    case 79: // EMR_PLGBLT
        return 96;
    case 80: // EMR_SETDIBITSTODEVICE
    case 81: // EMR_STRETCHDIBITS
        return 48;
    case 93: // EMR_CREATEMONOBRUSH
    case 94: // EMR_CREATEDIBPATTERNBRUSHPT
        return 16;
    default:
        return -1;
    }
}

// Walks the records of an EMF, checking that each lies whole inside the file and their
// budget; the offset after the end-of-file record (or the last record), or -1 when the
// file is refused.
qsizetype checkEmfRecords(const QByteArray& data, EmbeddedBitmaps& bitmaps)
{
    RecordBudget budget;
    qsizetype pos = 0;
    while (pos + 8 <= data.size()) {
        const qint32 type = le32(data, pos);
        const qint64 size = quint32(le32(data, pos + 4));
        if (size < 8 || size % 4 != 0 || size > data.size() - pos)
            return -1;
        const qsizetype field = emfBitmapOffsetField(type);
        if (field >= 0 && field + 4 <= size) {
            const qint64 offset = quint32(le32(data, pos + field));
            if (offset > 0 && offset < size) {
                const QSize bitmap = dibSize(data, pos + qsizetype(offset), size - offset);
                bitmaps.add(bitmap.width(), bitmap.height());
            }
        }
        if (!budget.add(size, field < 0 && type != 70)) // EMR_COMMENT
            return -1;
        pos += size;
        if (type == 14) // EMR_EOF
            break;
    }
    return pos;
}

// The records of an EMF up to its end, padded with zeros where a converter reading a
// little too far finds nothing (it reads record headers without looking at the length
// it was given); an empty array when the file is refused.
QByteArray sanitizedEmf(const QByteArray& data, EmbeddedBitmaps& bitmaps)
{
    const qsizetype end = checkEmfRecords(data, bitmaps);
    if (end < 0)
        return {};
    QByteArray copy = data.left(end);      // the converter takes a non-const buffer
    put32(copy, 48, quint32(copy.size())); // nBytes
    copy.append(QByteArray(16, '\0'));
    return copy;
}

// The metafile libraries promise nothing about running on two threads at once
// (tavelorn-export renders on every core): one conversion at a time.
std::mutex g_metafileLibraries;

} // namespace

GraphicPtr loadEmfPicture(const QByteArray& data)
{
    // EMR_HEADER: type 1, record size, bounds (device pixels, inclusive), frame
    // (0.01 mm), signature " EMF".
    if (data.size() < 88 || le32(data, 0) != 1 || le32(data, 40) != 0x464D4520)
        throw AppError(invalidMetafile());
    const qint64 recordSize = quint32(le32(data, 4));
    if (recordSize < 88 || recordSize > data.size())
        throw AppError(invalidMetafile());
    const qint64 bl = le32(data, 8), bt = le32(data, 12), br = le32(data, 16), bb = le32(data, 20);
    const qint64 fl = le32(data, 24), ft = le32(data, 28), fr = le32(data, 32), fb = le32(data, 36);

    // The natural size is the frame the file records; a file without one falls back
    // on its bounds.
    qint64 width = hundredthMmToPixels(fr - fl);
    qint64 height = hundredthMmToPixels(fb - ft);
    if (width <= 0 || height <= 0) {
        width = br - bl + 1;
        height = bb - bt + 1;
    }
    if (br < bl || bb < bt || width <= 0 || height <= 0)
        throw AppError(invalidMetafile());
    if (!pictureSizeAllowed(width, height))
        throw AppError(pictureTooLargeMessage(width, height));

    generatorOptions options{};
    options.nameSpace = const_cast<char*>("");
    options.verbose = false;
    options.emfplus = false; // the plain records, as the system draws them
    options.svgDelimiter = true;
    char* out = nullptr;
    size_t outLength = 0;
    EmbeddedBitmaps bitmaps;
    QByteArray copy = sanitizedEmf(data, bitmaps);
    if (copy.isEmpty())
        throw AppError(invalidMetafile());
    bitmaps.check();
    const Emf2SvgLibrary& lib = libemf2svg();
    std::unique_lock lock(g_metafileLibraries);
    const int ok = lib.emf2svg(copy.data(), size_t(copy.size() - 16), &out, &outLength, &options);
    lock.unlock();
    copy = QByteArray();
    const QByteArray svg = out ? QByteArray(out, qsizetype(outLength)) : QByteArray();
    std::free(out);
    if (!ok || svg.isEmpty() || !svgWithinBudget(svg))
        throw AppError(invalidMetafile());
    // The converter places the bounds' top-left at the origin.
    return makeMetafile(svg, QSize(int(width), int(height)),
                        QRectF(0, 0, double(br - bl + 1), double(bb - bt + 1)));
}

GraphicPtr loadWmfPicture(const QByteArray& data)
{
    EmbeddedBitmaps bitmaps;
    QByteArray copy = sanitizedWmf(data, bitmaps);
    if (copy.isEmpty())
        throw AppError(invalidMetafile());
    bitmaps.check();
    const WmfLibrary& lib = libwmf();
    static WmfFonts fonts;
    const std::lock_guard lock(g_metafileLibraries);
    wmfAPI_Options options{};
    options.function = lib.svgFunction;
    options.fontdirs = fonts.dirs;
    options.font.ps = fonts.ps;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_FONTDIRS | WMF_OPT_FONTMAP |
                                WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI* api = nullptr;
    if (lib.apiCreate(&api, flags, &options) != wmf_E_None) {
        if (api)
            lib.apiDestroy(api);
        throw AppError(invalidMetafile());
    }
    struct ApiGuard
    {
        wmfAPI* api;
        decltype(&::wmf_api_destroy) destroy;
        ~ApiGuard() { destroy(api); }
    } guard{api, lib.apiDestroy};

    if (lib.memOpen(api, reinterpret_cast<unsigned char*>(copy.data()), long(copy.size())) !=
        wmf_E_None)
        throw AppError(invalidMetafile());
    wmfD_Rect bbox{};
    if (lib.scan(api, 0, &bbox) != wmf_E_None)
        throw AppError(invalidMetafile());
    unsigned int width = 0;
    unsigned int height = 0;
    if (lib.displaySize(api, &width, &height, 96, 96) != wmf_E_None || width == 0 || height == 0)
        throw AppError(invalidMetafile());
    if (!pictureSizeAllowed(width, height))
        throw AppError(pictureTooLargeMessage(width, height));

    std::string svg;
    wmfStream stream{&svg, appendToString, clearString};
    wmf_svg_t* device = WMF_SVG_GetData(api);
    device->out = &stream;
    device->Description = const_cast<char*>("");
    device->bbox = bbox;
    device->width = width;
    device->height = height;
    device->flags = WMF_SVG_INLINE_IMAGES; // bitmaps as data inside the SVG, never files
    if (lib.play(api, 0, &bbox) != wmf_E_None)
        throw AppError(invalidMetafile());
    lib.memClose(api);
    if (!svgWithinBudget(QByteArray::fromRawData(svg.data(), qsizetype(svg.size()))))
        throw AppError(invalidMetafile());
    return makeMetafile(fixWmfImageScale(svg), QSize(int(width), int(height)), {});
}

} // namespace tavelorn
