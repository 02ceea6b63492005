#include "pictureloaders.h"

#include "apperror.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE

#include <jerror.h>
#include <jpeglib.h>

namespace {

// More scans than any real progressive file has; a forged file with thousands of
// scans would otherwise take minutes.
constexpr int kMaxScans = 500;
// Memory for the coefficient buffers of progressive files.
constexpr long kMaxDecoderMemory = 1024L * 1024 * 1024;

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
        cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
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
};

// Reads and checks the header; returns an empty message on success.
QString readHeader(const QByteArray& data, HeaderInfo& info)
{
    Decoder d;
    d.create(data);
    if (setjmp(d.err.jump)) {
        const QString message = d.errorMessage();
        jpeg_destroy_decompress(&d.cinfo);
        return message;
    }
    jpeg_read_header(&d.cinfo, TRUE);
    info.width = int(d.cinfo.image_width);
    info.height = int(d.cinfo.image_height);
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

// Decodes into image (already allocated at the header's size and filled white);
// returns an empty message on success. Rows decoded before an error stay in image.
QString decodeInto(const QByteArray& data, QImage& image, bool& started)
{
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const int width = image.width();
    const int height = image.height();
    // Room for one CMYK row, taken before setjmp.
    QByteArray cmykRow(qsizetype(width) * 4, Qt::Uninitialized);
    JSAMPLE* const cmyk = reinterpret_cast<JSAMPLE*>(cmykRow.data());

    Decoder d;
    d.create(data);
    d.err.fakeEndOfImage = true;
    started = false;
    if (setjmp(d.err.jump)) {
        const QString message = d.errorMessage();
        jpeg_destroy_decompress(&d.cinfo);
        return message;
    }
    jpeg_read_header(&d.cinfo, TRUE);
    const bool isCmyk =
        d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
    d.cinfo.out_color_space = isCmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&d.cinfo);
    started = true;
    d.err.outputStarted = true;
    if (int(d.cinfo.output_width) != width || int(d.cinfo.output_height) > height)
        ERREXIT(&d.cinfo, JERR_BAD_STATE);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        uchar* line = bits + stride * d.cinfo.output_scanline;
        if (isCmyk) {
            JSAMPROW row = cmyk;
            jpeg_read_scanlines(&d.cinfo, &row, 1);
            auto* out = reinterpret_cast<QRgb*>(line);
            const bool inverted = d.cinfo.saw_Adobe_marker;
            for (int x = 0; x < width; ++x)
                out[x] = cmykToRgb(cmyk + 4 * x, inverted);
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
    for (int y = qMax(from, 0); from >= 0 && y < height; ++y)
        std::fill_n(reinterpret_cast<QRgb*>(bits + stride * y), width, qRgb(255, 255, 255));
    return QStringLiteral("Erreur JPEG #%1").arg(int(JERR_INPUT_EOF));
}

class TJpegGraphic : public TGraphic
{
public:
    TJpegGraphic(QByteArray data, QSize size) : m_data(std::move(data)), m_size(size) {}

    QSize size() const override { return m_size; }

    void draw(QPainter& painter, const QRect& dest) const override
    {
        if (!m_decoded)
            decode();
        if (m_image.isNull() || dest.isEmpty())
            return;
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(dest, m_image);
        painter.restore();
    }

    QString takeDrawError() override { return std::exchange(m_drawError, QString()); }

private:
    void decode() const
    {
        m_decoded = true;
        QImage image(m_size, QImage::Format_RGB32);
        if (image.isNull()) {
            m_drawError = pictureTooLargeMessage(m_size.width(), m_size.height());
            return;
        }
        image.fill(Qt::white);
        bool started = false;
        m_drawError = decodeInto(m_data, image, started);
        // Keep what was decoded; an error before the first row shows nothing.
        if (started)
            m_image = std::move(image);
        m_data = QByteArray(); // no longer needed
    }

    mutable QByteArray m_data;
    QSize m_size;
    mutable bool m_decoded = false;
    mutable QImage m_image;
    mutable QString m_drawError;
};

} // namespace

TGraphicPtr loadJpegPicture(const QByteArray& data)
{
    HeaderInfo info;
    const QString error = readHeader(data, info);
    if (!error.isEmpty())
        throw EAppError(error);
    if (!pictureSizeAllowed(info.width, info.height))
        throw EAppError(pictureTooLargeMessage(info.width, info.height));
    return std::make_shared<TJpegGraphic>(data, QSize(info.width, info.height));
}
