// The commands that open the colour and About dialogs.
#include "uMainNew.h"

void TfrmMainNew::bbtColorsClick()
{
    guarded([] {});
}

void TfrmMainNew::bbtAboutClick()
{
    guarded([] {});
}
