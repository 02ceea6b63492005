#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class QPainter;

namespace tavelorn {

// A background picture as loaded from a file. Raster pictures are drawn with
// nearest-neighbour scaling; some formats decode their data only at first drawing.
class Graphic
{
public:
    virtual ~Graphic() = default;

    // Natural size in pixels (for icons and metafiles: the size the file records).
    virtual QSize size() const = 0;

    // Draws the whole picture scaled into dest; the caller clips.
    virtual void draw(QPainter& painter, const QRect& dest) const = 0;

    // An error found while decoding at first drawing (a JPEG whose data proves corrupt):
    // returned once, then empty, so that it is reported a single time.
    virtual QString takeDrawError() { return {}; }
};
using GraphicPtr = std::shared_ptr<Graphic>;

// Loads a picture chosen by its extension (case ignored); throws AppError with the
// user-facing message when the extension is unknown, the file cannot be opened or the
// content is invalid.
GraphicPtr loadPictureFromFile(const QString& path);

// Whether a profile's picture path names a file to load: anything there but a folder.
// A file that exists but cannot be read counts, so that loading it reports why.
bool pictureFileExists(const QString& path);

// The file-type list of the open- and save-picture dialogs as Qt name filters, "Tous"
// with every pattern first, then one row per extension.
QStringList pictureDialogNameFilters();

} // namespace tavelorn
