// The commands that open the colour and About dialogs.
#include "uMainNew.h"

#include "apperror.h"
#include "programversion.h"
#include "uAbout102.h"
#include "uEditLandscapeTypeColor.h"

#include <QApplication>

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

// The update information downloads in the background while the window, disabled under
// a busy cursor, keeps repainting; the dialog opens when both downloads have ended.
void TfrmMainNew::bbtAboutClick()
{
    guarded([this] {
        if (FAboutDownloads.isRunning())
            return;
        // A version that cannot be read ends the dialog's filling before any download:
        // the dialog opens at once with the error box, asking the site nothing.
        try {
            static_cast<void>(programVersion());
        } catch (const AppError&) {
            ShowAboutDialog(this, {});
            return;
        }
        FAboutDownloads.start(networkJobPool(),
                              [url = updateInfoUrl()](const std::stop_token& stop) {
                                  return downloadUpdateInfo(url, stop);
                              });
        FAboutDownloads.onFinished(this, [this] { aboutDownloadsDone(); });
        setEnabled(false);
        QApplication::setOverrideCursor(Qt::BusyCursor);
    });
}

void TfrmMainNew::aboutDownloadsDone()
{
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    guarded([this] { ShowAboutDialog(this, FAboutDownloads.result()); });
}
