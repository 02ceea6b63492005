#pragma once

#include <QIcon>
#include <QString>

// A button picture drawn from an SVG resource at size x size pixels, in the states a
// picture button shows: normal, disabled (grey), pressed and held down.
QIcon makeButtonIcon(const QString& resource, int size);
