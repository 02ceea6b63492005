#include "jpegexport.h"

#include "apperror.h"
#include "picture.h"
#include "safefile.h"

#include <QFileInfo>
#include <QImage>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
// jerror.h needs jpeglib.h first.
#include <jerror.h>

namespace tavelorn {

namespace {

struct ErrorManager
{
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void silentMessage(j_common_ptr)
{
}

// Compresses straight into a QByteArray, growing it as libjpeg asks.
struct ByteArrayDestination
{
    jpeg_destination_mgr pub;
    QByteArray* out;
};

constexpr qsizetype kInitialBuffer = qsizetype{512} * 1024;

void initDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<ByteArrayDestination*>(cinfo->dest);
    dest->pub.next_output_byte = reinterpret_cast<JOCTET*>(dest->out->data());
    dest->pub.free_in_buffer = size_t(dest->out->size());
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<ByteArrayDestination*>(cinfo->dest);
    const qsizetype used = dest->out->size();
    bool grown = false;
    try {
        dest->out->resize(used * 2);
        grown = true;
    } catch (...) {
    }
    // The library's error jumps away: raise it only once the exception is finished.
    if (!grown)
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    dest->pub.next_output_byte = reinterpret_cast<JOCTET*>(dest->out->data() + used);
    dest->pub.free_in_buffer = size_t(dest->out->size() - used);
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<ByteArrayDestination*>(cinfo->dest);
    dest->out->resize(dest->out->size() - qsizetype(dest->pub.free_in_buffer));
}

// Returns 0 on success, else the library's message number. Only plain C objects live
// in this frame, so the longjmp of the error handler skips no destructor.
int compress(const uchar* bits, qsizetype stride, int width, int height, J_COLOR_SPACE space,
             int components, int quality, QByteArray* out)
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    ByteArrayDestination dest;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = silentMessage;
    if (setjmp(err.jump)) {
        const int code = err.pub.msg_code;
        jpeg_destroy_compress(&cinfo);
        return code > 0 ? code : -1;
    }
    jpeg_create_compress(&cinfo);
    dest.pub.init_destination = initDestination;
    dest.pub.empty_output_buffer = emptyOutputBuffer;
    dest.pub.term_destination = termDestination;
    dest.out = out;
    cinfo.dest = &dest.pub;

    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bits + qsizetype(cinfo.next_scanline) * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return 0;
}

QString createError(const QString& path, int errnum)
{
    return QStringLiteral("Impossible de créer le fichier \"%1\". %2")
        .arg(QFileInfo(path).absoluteFilePath(), systemErrorText(errnum));
}

} // namespace

QString defaultPictureFileName(const QString& sid, SerialDate date)
{
    const QDate d = dateOf(date);
    // One pass: a "%1" in the SID is text.
    return QStringLiteral("%1_%2_%3_%4.jpg")
        .arg(sid, QString::number(d.year()),
             QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0')),
             QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0')));
}

QString forceJpgExtension(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype sep = path.lastIndexOf(u'/');
    if (dot >= 0 && dot > sep)
        return path.left(dot) + QStringLiteral(".jpg");
    return path + QStringLiteral(".jpg");
}

QByteArray encodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        throw AppError(QStringLiteral("Erreur JPEG #%1").arg(JERR_EMPTY_IMAGE));
    QImage rgb;
    const QImage* src = &image;
    J_COLOR_SPACE space = JCS_RGB;
    int components = 3;
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32) {
        // 0xAARRGGBB words: the library drops the fourth byte itself, no copy needed.
        space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        components = 4;
    } else if (image.format() != QImage::Format_RGB888) {
        rgb = image.convertToFormat(QImage::Format_RGB888);
        src = &rgb;
    }
    QByteArray out(kInitialBuffer, Qt::Uninitialized);
    const int code = compress(src->constBits(), src->bytesPerLine(), src->width(), src->height(),
                              space, components, quality, &out);
    if (code != 0)
        throw AppError(QStringLiteral("Erreur JPEG #%1").arg(code));
    return out;
}

void writePictureFile(const QString& path, const QByteArray& bytes)
{
    if (const int err = writeFileSafely(path, bytes))
        throw AppError(createError(path, err));
}

void exportPictureToFile(const PictureModel& picture, const QString& path)
{
    QImage image;
    renderPicture(picture, image);
    // Encode first: an encoder error never touches the file.
    writePictureFile(path, encodeJpeg(image, 100));
}

} // namespace tavelorn
