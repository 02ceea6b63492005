#pragma once

#include <QIcon>
#include <QString>

class QAbstractButton;

namespace tavelorn {

// A button picture drawn from an SVG resource at size x size pixels, in the states a
// picture button shows: normal, disabled (grey), pressed and held down.
QIcon makeButtonIcon(const QString& resource, int size);

// Gives button a picture whose shape ink is drawn in the button's text colour, with
// overlay (its coloured parts; may be null) over it, size x size pixels, in the same
// states; redrawn when the palette changes, so the shape stays readable on a dark desktop.
void setInkIcon(QAbstractButton* button, const QIcon& ink, const QIcon& overlay, int size);

} // namespace tavelorn
