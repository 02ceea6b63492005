#include "pictureloaders.h"

#include "apperror.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE

#include <jerror.h>
#include <jpeglib.h>

namespace tavelorn {

namespace {

// More scans than any real progressive file has; a forged file with thousands of
// scans would otherwise take minutes.
constexpr int kMaxScans = 500;
// Room for the library's own tables and row buffers besides the coefficients.
constexpr qint64 kDecoderOverhead = 32'000'000;
// How far a crop may start left of where it was asked to: one block row of the widest
// sampling at full scale.
constexpr int kCropSlack = 32;

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool tooManyScans;
    // While decoding, the end of the data is met with a fake end of image, so that a
    // truncated file still shows what it holds.
    bool fakeEndOfImage;
    bool hitEnd;
    // Set when the decoder needed data beyond the end (a file that only lacks its end
    // marker does not), with the output row then produced; -1 before the output.
    bool dataMissing;
    int missingFromRow;
    bool outputStarted;
};

// Errors end up here with their message number; libjpeg must never exit().
void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings and trace messages are ignored and never printed; only the decoder's note
// that it ran past the fake end of image is kept.
void emitMessage(j_common_ptr cinfo, int level)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0 && err->hitEnd && !err->dataMissing &&
        (err->pub.msg_code == JWRN_HIT_MARKER || err->pub.msg_code == JWRN_MUST_RESYNC) &&
        cinfo->is_decompressor) {
        err->dataMissing = true;
        err->missingFromRow = err->outputStarted
                                  ? int(reinterpret_cast<j_decompress_ptr>(cinfo)->output_scanline)
                                  : -1;
    }
}

void outputMessage(j_common_ptr)
{
}

void initErrorManager(ErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    err.pub.output_message = outputMessage;
    err.tooManyScans = false;
    err.fakeEndOfImage = false;
    err.hitEnd = false;
    err.dataMissing = false;
    err.missingFromRow = -1;
    err.outputStarted = false;
}

void initSource(j_decompress_ptr)
{
}
void termSource(j_decompress_ptr)
{
}

// Running out of data is an error, not only the library's warning: the header check
// fails at once, and a decode finishes on a fake end of image and reports it.
boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (!err->fakeEndOfImage)
        ERREXIT(cinfo, JERR_INPUT_EOF);
    err->hitEnd = true;
    static const JOCTET endOfImage[2] = {0xFF, JPEG_EOI};
    cinfo->src->next_input_byte = endOfImage;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    while (size_t(count) > src->bytes_in_buffer) {
        count -= long(src->bytes_in_buffer);
        fillInputBuffer(cinfo);
        if (reinterpret_cast<ErrorManager*>(cinfo->err)->hitEnd)
            return; // nothing left to skip; the fake end of image stays
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

void progressMonitor(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        reinterpret_cast<ErrorManager*>(cinfo->err)->tooManyScans = true;
        std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
    }
}

// The decompressor with its error manager, source and progress hook; plain data only,
// since a longjmp must not skip destructors.
struct Decoder
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_source_mgr src;
    jpeg_progress_mgr progress;

    void create(const QByteArray& data)
    {
        initErrorManager(err);
        cinfo.err = &err.pub;
        jpeg_create_decompress(&cinfo);
        // More than the load check allowed fails instead of allocating: files with many
        // sequential scans need the whole picture's coefficients too.
        cinfo.mem->max_memory_to_use = long(kMaxDecodeBytes - data.size() + kDecoderOverhead);
        src.init_source = initSource;
        src.fill_input_buffer = fillInputBuffer;
        src.skip_input_data = skipInputData;
        src.resync_to_restart = jpeg_resync_to_restart;
        src.term_source = termSource;
        src.next_input_byte = reinterpret_cast<const JOCTET*>(data.constData());
        src.bytes_in_buffer = size_t(data.size());
        cinfo.src = &src;
        progress.progress_monitor = progressMonitor;
        cinfo.progress = &progress;
    }

    QString errorMessage() const
    {
        if (err.tooManyScans)
            return QStringLiteral("Image JPEG non valide (plus de %1 passes)").arg(kMaxScans);
        return QStringLiteral("Erreur JPEG #%1").arg(err.pub.msg_code);
    }
};

struct HeaderInfo
{
    int width = 0;
    int height = 0;
    qint64 coefficientBytes = 0; // of the whole picture, which progressive files keep
};

// Reads and checks the header; returns an empty message on success.
QString readHeader(const QByteArray& data, HeaderInfo& info)
{
    Decoder d;
    d.create(data);
    if (setjmp(d.err.jump)) {
        QString message = d.errorMessage();
        jpeg_destroy_decompress(&d.cinfo);
        return message;
    }
    jpeg_read_header(&d.cinfo, TRUE);
    info.width = int(d.cinfo.image_width);
    info.height = int(d.cinfo.image_height);
    if (d.cinfo.progressive_mode) {
        for (int i = 0; i < d.cinfo.num_components; ++i) {
            const jpeg_component_info& c = d.cinfo.comp_info[i];
            const qint64 columns = (qint64(c.width_in_blocks) + c.h_samp_factor - 1) /
                                   c.h_samp_factor * c.h_samp_factor;
            const qint64 rows = (qint64(c.height_in_blocks) + c.v_samp_factor - 1) /
                                c.v_samp_factor * c.v_samp_factor;
            info.coefficientBytes += columns * rows * DCTSIZE2 * qint64(sizeof(JCOEF));
        }
    }
    jpeg_destroy_decompress(&d.cinfo);
    return {};
}

// Adobe files store CMYK inverted; others plainly.
inline QRgb cmykToRgb(const JSAMPLE* p, bool inverted)
{
    int c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    return qRgb(c * k / 255, m * k / 255, y * k / 255);
}

// What a drawing needs decoded: the part rect of the picture decoded at scale/8.
struct Region
{
    int scale = 8;
    QRect rect; // in pixels of the scaled picture
};

// libjpeg's size of a side decoded at scale/8.
int scaledSide(int side, int scale)
{
    return int((qint64(side) * scale + 7) / 8);
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The part of dest that can show: inside the painter's clip and its device.
QRect visiblePart(const QPainter& painter, const QRect& dest)
{
    QRect visible = dest;
    const QTransform t = painter.combinedTransform();
    if (t.type() > QTransform::TxScale)
        return visible; // rotated or sheared: all of it
    if (const QPaintDevice* device = painter.device())
        visible &=
            t.inverted().mapRect(QRectF(0, 0, device->width(), device->height())).toAlignedRect();
    if (painter.hasClipping())
        visible &= painter.clipBoundingRect().toAlignedRect();
    return visible;
}

// A large picture drawn small is decoded at the smallest scale that still gives one
// decoded pixel for each pixel shown, and only the part that shows is decoded: a 50
// megapixel photograph in the 450 × 350 box costs a few hundred kilobytes.
Region regionFor(QSize natural, const QRect& dest, const QRect& visible)
{
    const qint64 w = natural.width(), h = natural.height();
    // The picture's pixels under the visible part, one to spare on each side so that the
    // edges sample as a drawing of the whole picture would.
    const qint64 x0 =
        qMax<qint64>(0, floorDiv((visible.left() - dest.left()) * w, dest.width()) - 1);
    const qint64 y0 =
        qMax<qint64>(0, floorDiv((visible.top() - dest.top()) * h, dest.height()) - 1);
    const qint64 x1 = qMin(w, floorDiv((visible.right() + 1 - dest.left()) * w, dest.width()) + 2);
    const qint64 y1 = qMin(h, floorDiv((visible.bottom() + 1 - dest.top()) * h, dest.height()) + 2);
    Region r;
    for (int scale = 1; scale < 8; ++scale)
        if ((x1 - x0) * scale >= qint64(visible.width()) * 8 &&
            (y1 - y0) * scale >= qint64(visible.height()) * 8) {
            r.scale = scale;
            break;
        }
    const int left = int(x0 * r.scale / 8);
    const int top = int(y0 * r.scale / 8);
    const int right = qMin(scaledSide(natural.width(), r.scale), int((x1 * r.scale + 7) / 8));
    const int bottom = qMin(scaledSide(natural.height(), r.scale), int((y1 * r.scale + 7) / 8));
    r.rect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    return r;
}

// The columns that the decoder gave: a crop starts at a block boundary.
struct Decoded
{
    bool started = false;
    int left = 0;
    int width = 0;
};

// Decodes the part r of the picture into image (allocated before: a longjmp must not
// skip a destructor, at least r's width plus kCropSlack wide, filled white); returns an
// empty message on success. Rows decoded before an error stay in image.
QString decodeRegion(const QByteArray& data, const Region& r, QImage& image, Decoded& out)
{
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const int capacity = image.width();

    Decoder d;
    d.create(data);
    d.err.fakeEndOfImage = true;
    out = {};
    if (setjmp(d.err.jump)) {
        QString message = d.errorMessage();
        jpeg_destroy_decompress(&d.cinfo);
        return message;
    }
    jpeg_read_header(&d.cinfo, TRUE);
    const bool isCmyk =
        d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
    d.cinfo.out_color_space = isCmyk ? JCS_CMYK : JCS_EXT_BGRA;
    d.cinfo.scale_num = unsigned(r.scale);
    d.cinfo.scale_denom = 8;
    jpeg_start_decompress(&d.cinfo);
    out.started = true;
    d.err.outputStarted = true;
    if (int(d.cinfo.output_width) < r.rect.right() + 1 ||
        int(d.cinfo.output_height) < r.rect.bottom() + 1)
        ERREXIT(&d.cinfo, JERR_BAD_STATE);
    JDIMENSION left = JDIMENSION(r.rect.left());
    JDIMENSION width = JDIMENSION(r.rect.width());
    if (width < d.cinfo.output_width)
        jpeg_crop_scanline(&d.cinfo, &left, &width);
    if (int(width) > capacity)
        ERREXIT(&d.cinfo, JERR_BAD_STATE);
    out.left = int(left);
    out.width = int(width);
    // Freed with the decoder, also after a longjmp.
    JSAMPARRAY cmyk = isCmyk
                          ? (*d.cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.cinfo),
                                                         JPOOL_IMAGE, width * 4, 1)
                          : nullptr;
    const JDIMENSION top = JDIMENSION(r.rect.top());
    const JDIMENSION end = JDIMENSION(r.rect.bottom() + 1);
    if (top > 0)
        jpeg_skip_scanlines(&d.cinfo, top);
    const bool inverted = d.cinfo.saw_Adobe_marker;
    while (d.cinfo.output_scanline < end) {
        uchar* line = bits + stride * (d.cinfo.output_scanline - top);
        if (isCmyk) {
            jpeg_read_scanlines(&d.cinfo, cmyk, 1);
            auto* pixels = reinterpret_cast<QRgb*>(line);
            for (JDIMENSION x = 0; x < width; ++x)
                pixels[x] = cmykToRgb(cmyk[0] + size_t(x) * 4, inverted);
        } else {
            JSAMPROW row = line;
            jpeg_read_scanlines(&d.cinfo, &row, 1);
        }
    }
    // A single scan keeps the rows decoded before its data ended, the rest white; a
    // multi-scan file whose data ended keeps its coarser picture.
    const bool dataMissing = d.err.dataMissing;
    const int from = d.err.missingFromRow;
    jpeg_destroy_decompress(&d.cinfo);
    if (!dataMissing)
        return {};
    if (from >= 0)
        for (int y = qMax(from - r.rect.top(), 0); y < r.rect.height(); ++y)
            std::fill_n(reinterpret_cast<QRgb*>(bits + stride * y), capacity, qRgb(255, 255, 255));
    return QStringLiteral("Erreur JPEG #%1").arg(int(JERR_INPUT_EOF));
}

class JpegGraphic : public Graphic
{
public:
    JpegGraphic(QByteArray data, QSize size) : m_data(std::move(data)), m_size(size) {}

    QSize size() const override { return m_size; }

    void draw(QPainter& painter, const QRect& dest) const override
    {
        if (dest.isEmpty())
            return;
        const QRect visible = visiblePart(painter, dest);
        if (visible.isEmpty())
            return;
        const Region r = regionFor(m_size, dest, visible);
        // Repaints of the same picture reuse what was decoded.
        if (!m_decoded || r.scale != m_region.scale || !m_region.rect.contains(r.rect))
            decode(r);
        if (m_image.isNull())
            return;
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        // The decoded part placed where it lies in the whole picture drawn into dest.
        painter.drawImage(QRectF(dest), m_image,
                          QRectF(-m_origin.x(), -m_origin.y(), scaledSide(m_size.width(), r.scale),
                                 scaledSide(m_size.height(), r.scale)));
        painter.restore();
    }

    QString takeDrawError() override { return std::exchange(m_drawError, QString()); }

private:
    void decode(const Region& r) const
    {
        m_decoded = true;
        m_region = r;
        m_image = QImage();
        QImage image(r.rect.width() + kCropSlack, r.rect.height(), QImage::Format_RGB32);
        QString error;
        Decoded out;
        if (image.isNull()) {
            error = pictureTooLargeMessage(m_size.width(), m_size.height());
        } else {
            image.fill(Qt::white);
            error = decodeRegion(m_data, r, image, out);
        }
        // Reported once, however many parts are decoded.
        if (!error.isEmpty() && !m_errorFound) {
            m_errorFound = true;
            m_drawError = error;
        }
        // Keep what was decoded; an error before the first row shows nothing.
        if (out.started) {
            m_image =
                out.width == image.width() ? image : image.copy(0, 0, out.width, image.height());
            m_origin = QPoint(out.left, r.rect.top());
        }
    }

    QByteArray m_data; // kept: another drawing may need another part
    QSize m_size;
    mutable bool m_decoded = false;
    mutable Region m_region;
    mutable QImage m_image;
    mutable QPoint m_origin;
    mutable bool m_errorFound = false;
    mutable QString m_drawError;
};

} // namespace

GraphicPtr loadJpegPicture(const QByteArray& data)
{
    HeaderInfo info;
    const QString error = readHeader(data, info);
    if (!error.isEmpty())
        throw AppError(error);
    // A progressive file keeps the coefficients of the whole picture while decoding.
    if (!pictureSizeAllowed(info.width, info.height) ||
        info.coefficientBytes + data.size() > kMaxDecodeBytes)
        throw AppError(pictureTooLargeMessage(info.width, info.height));
    return std::make_shared<JpegGraphic>(data, QSize(info.width, info.height));
}

} // namespace tavelorn
