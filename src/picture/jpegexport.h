#pragma once

#include "datetime.h"

#include <QByteArray>
#include <QString>

class QImage;

namespace tavelorn {

struct PictureModel;

// The proposed file name of an exported picture: SID_yyyy_MM_dd.jpg (the year without
// padding).
QString defaultPictureFileName(const QString& sid, SerialDate date);

// Replaces the extension by ".jpg", or appends ".jpg" when the name has no dot after
// its last "/" (the folder separator here, where backslash and colon are plain name
// characters).
QString forceJpgExtension(const QString& path);

// A baseline JFIF JPEG of the image in 24-bit RGB (alpha dropped), with the library's
// defaults and the given quality. Throws AppError("Erreur JPEG #%d") on an encoder
// error.
QByteArray encodeJpeg(const QImage& image, int quality = 100);

// Renders the picture, encodes it with quality 100 and writes it to path, replacing the
// file. Throws AppError("Impossible de créer le fichier "%s". %s") when the file
// cannot be written; the old file, if any, is then left as it was.
void exportPictureToFile(const PictureModel& picture, const QString& path);

// Writes bytes to path with writeFileSafely, with the same error message.
void writePictureFile(const QString& path, const QByteArray& bytes);

} // namespace tavelorn
