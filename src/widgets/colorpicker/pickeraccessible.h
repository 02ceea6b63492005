#pragma once

#include <QString>

class TColorPickerDropDown;
class TCustomItemSelector;
class QWidget;

// What screen readers see of the picker: a combo box whose value is the selected
// colour's name, with its drop-down window as its child; there the named colours are
// list items, the footer's buttons are buttons and the panels are named. Installed
// once, by the first picker made.
void InstallPickerAccessibility();

// The selected colour's name: the caption of the named colour of that value, else
// "#RRGGBB"; empty with no colour.
QString PickerValueText(const TColorPickerDropDown* picker);

// Tell assistive technology that the picker's value changed, or that the entry index
// of the list became the current one.
void NotifyPickerValueChanged(TColorPickerDropDown* picker);
void NotifyPickerEntryCurrent(TCustomItemSelector* list, int index);

// Tell assistive technology that a panel's keyboard mark moved: its current cell (the
// palette's and the honeycomb's) and its value, the colour under the mark.
void NotifyPanelCurrent(QWidget* panel);
