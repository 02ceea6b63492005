#pragma once

#include "datetime.h"

#include <QByteArray>
#include <QString>

class QImage;
struct tyPicture;

// The proposed file name of an exported picture: SID_yyyy_MM_dd.jpg (the year without
// padding).
QString DefaultPictureFileName(const QString& sid, TDateTime date);

// Replaces the extension by ".jpg", or appends ".jpg" when the name has no dot after
// its last "/" (the folder separator here, where backslash and colon are plain name
// characters).
QString ForceJpgExtension(const QString& path);

// A baseline JFIF JPEG of the image in 24-bit RGB (alpha dropped), with the library's
// defaults and the given quality. Throws EAppError("Erreur JPEG #%d") on an encoder
// error.
QByteArray EncodeJpeg(const QImage& image, int quality = 100);

// Renders the picture, encodes it with quality 100 and writes it to path, replacing the
// file. Throws EAppError("Impossible de créer le fichier "%s". %s") when the file
// cannot be written; the old file, if any, is then left as it was.
void ExportPictureToFile(const tyPicture& picture, const QString& path);

// Writes bytes to path with WriteFileSafely, with the same error message.
void WritePictureFile(const QString& path, const QByteArray& bytes);
