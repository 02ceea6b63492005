#pragma once

#include <QComboBox>

namespace tavelorn {

// A drop-down list whose popup is a short list under the box, as on the platform: as
// wide as the box, at most kVisibleRows rows (a longer list scrolls), a text too long for
// it elided. Qt's default popup on this desktop is a menu as tall as the list and as
// wide as its longest text, up to the whole screen. What a screen reader hears of it is
// the program's: it installs one accessible interface for all its combo boxes.
class DropDownList : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int kVisibleRows = 16;

    explicit DropDownList(QWidget* parent = nullptr);
};

} // namespace tavelorn
