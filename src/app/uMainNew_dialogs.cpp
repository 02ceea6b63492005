// The commands that open the colour and About dialogs.
#include "uMainNew.h"

#include "uAbout102.h"
#include "uEditLandscapeTypeColor.h"

using namespace tavelorn;

// The dialog opens on the positions as the file holds them now. They are written back
// and reloaded whatever the dialog's outcome (after Cancel the unchanged ones are written
// again), and the picture shows the shown position's colour at once.
void TfrmMainNew::bbtColorsClick()
{
    guarded([this] {
        FStore.loadLandscapeTypes();
        EditLandscapeTypeColors(FStore.landscapeTypes(), this);
        FStore.saveLandscapeTypesAndColors();
        cbxLandscapeTypeChange();
    });
}

void TfrmMainNew::bbtAboutClick()
{
    guarded([this] { ShowAboutDialog(this); });
}
