// The commands that edit the option lists.
#include "uMainNew.h"
#include "ui_uMainNew.h"

void TfrmMainNew::bbtSystemTitleClick()
{
    guarded([] {});
}

void TfrmMainNew::bbtLandscapeTypeClick()
{
    guarded([] {});
}

void TfrmMainNew::bbtSIDClick()
{
    guarded([] {});
}

void TfrmMainNew::bbtRefreshCommentClick()
{
    guarded([] {});
}
