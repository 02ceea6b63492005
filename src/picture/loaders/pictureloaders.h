#pragma once

#include "../graphic.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The accepted picture extensions (lower case, without dot) in the dialogs' order.
QStringList PictureFileExtensions();

// Decodes a picture held in memory; ext (without dot, case ignored) picks the
// decoder. Throws EAppError like LoadPictureFromFile, apart from file errors.
TGraphicPtr loadPictureFromBytes(const QByteArray& data, const QString& ext);

// Largest picture accepted, so that a forged header cannot make us allocate gigabytes.
inline constexpr int kMaxPictureSide = 32767;
inline constexpr qint64 kMaxPicturePixels = qint64(64) * 1024 * 1024;
// Largest picture file read into memory.
inline constexpr qint64 kMaxPictureFileSize = qint64(256) * 1024 * 1024;

bool pictureSizeAllowed(qint64 width, qint64 height);
// "Image trop grande (w × h pixels)".
QString pictureTooLargeMessage(qint64 width, qint64 height);

TGraphicPtr loadJpegPicture(const QByteArray& data);
TGraphicPtr loadBitmapPicture(const QByteArray& data);
TGraphicPtr loadIconPicture(const QByteArray& data);
TGraphicPtr loadGifPicture(const QByteArray& data);
TGraphicPtr loadTiffPicture(const QByteArray& data);
TGraphicPtr loadEmfPicture(const QByteArray& data);
TGraphicPtr loadWmfPicture(const QByteArray& data);
