#pragma once

namespace tavelorn {

// What screen readers see of the colour picker: a combo box whose value is the selected
// colour's name, with its drop-down window as its child; there the named colours are
// list items, the footer's buttons are buttons and the panels are named. The widgets
// post their own events and know nothing of this; a program that shows a picker
// installs it once, before the picker is made.
void installColorPickerAccessibility();

} // namespace tavelorn
