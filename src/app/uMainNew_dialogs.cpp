// The commands that open the colour and About dialogs.
#include "uMainNew.h"

#include "uAbout102.h"
#include "uEditLandscapeTypeColor.h"

// The positions are written back and reloaded whatever the dialog's outcome: after
// Cancel the unchanged ones are written again.
void TfrmMainNew::bbtColorsClick()
{
    guarded([this] {
        EditLandscapeTypeColors(FStore.FArrLandscapeType, this);
        FStore.SaveLandscapeTypesAndColors();
    });
}

void TfrmMainNew::bbtAboutClick()
{
    guarded([this] { ShowAboutDialog(this); });
}
