#pragma once

#include <QComboBox>

// A drop-down list whose popup is a short list under the box, as on the platform: as
// wide as the box, at most VisibleRows rows (a longer list scrolls), a text too long for
// it elided. Qt's default popup on this desktop is a menu as tall as the list and as
// wide as its longest text, up to the whole screen.
class TDropDownList : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int VisibleRows = 16;

    explicit TDropDownList(QWidget* parent = nullptr);
};
