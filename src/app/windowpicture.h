#pragma once

#include <QIcon>
#include <QString>

namespace tavelorn {

// The window's picture `name` of `size` pixels square, drawn at build time from
// icons/<name>.svg at that size and at twice it (for screens of pixel ratio 2).
QIcon windowPicture(const QString& name, int size);

// The application icon in the sizes the window system asks for.
QIcon applicationIcon();

} // namespace tavelorn
