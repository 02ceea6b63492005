#pragma once

#include "../graphic.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QImage;
class QIODevice;

namespace tavelorn {

// The accepted picture extensions (lower case, without dot) in the dialogs' order.
QStringList pictureFileExtensions();

// Decodes a picture held in memory; ext (without dot, case ignored) picks the
// decoder. Throws AppError like loadPictureFromFile, apart from file errors.
GraphicPtr loadPictureFromBytes(const QByteArray& data, const QString& ext);

// The picture budget, one for every format: a picture whose file records more pixels
// is refused before it is decoded. 64 megapixels take a 50 megapixel photograph of any
// shape (8688 × 5792).
inline constexpr int kMaxPictureSide = 32767;
inline constexpr qint64 kMaxPicturePixels = 64'000'000;
// What decoding one picture may take besides the program itself: the decoded picture at
// four bytes a pixel and the decoder's own buffers (the coefficients and bytes of a
// progressive JPEG, a TIFF strip). A file that would need more is refused as too large.
inline constexpr qint64 kMaxDecodeBytes = 512'000'000;
// Largest picture file read into memory.
inline constexpr qint64 kMaxPictureFileSize = qint64(256) * 1024 * 1024;

bool pictureSizeAllowed(qint64 width, qint64 height);
// "Image trop grande (w × h pixels)".
QString pictureTooLargeMessage(qint64 width, qint64 height);

// A decoded raster picture (RGB32 or ARGB32_Premultiplied), drawn with nearest-neighbour
// scaling.
GraphicPtr makeRasterGraphic(QImage image);

// Formats decoded from the file's bytes in memory.
GraphicPtr loadJpegPicture(const QByteArray& data);
GraphicPtr loadIconPicture(const QByteArray& data);
GraphicPtr loadGifPicture(const QByteArray& data);
GraphicPtr loadEmfPicture(const QByteArray& data);
GraphicPtr loadWmfPicture(const QByteArray& data);
// Formats read from the file as they are decoded: their files may be as large as the
// decoded picture, and holding both would double the memory.
GraphicPtr loadBitmapPicture(QIODevice& device);
GraphicPtr loadTiffPicture(QIODevice& device);

} // namespace tavelorn
