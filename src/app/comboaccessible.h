#pragma once

#include <QString>

class QComboBox;

namespace tavelorn {

// What screen readers see of a drop-down list: a combo box whose name says what it is
// for (its accessible name, else the label whose buddy it is) and whose value is the
// chosen text, offered as read-only text too. Qt's own interface on Linux names a combo
// box after its current text, so "Profile" became the profile's identifier and two
// lists holding "P01" sounded alike. Installed once, by the first caller.
void installComboBoxAccessibility();

// The combo box's value as a screen reader hears it.
QString comboBoxValueText(const QComboBox* combo);

} // namespace tavelorn
