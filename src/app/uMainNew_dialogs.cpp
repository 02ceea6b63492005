// The commands that open the colour and About dialogs.
#include "uMainNew.h"

#include "apperror.h"
#include "busycursor.h"
#include "programversion.h"
#include "uAbout102.h"
#include "uEditLandscapeTypeColor.h"

using namespace tavelorn;

// The dialog opens on the positions as the file holds them now. They are written back
// and reloaded whatever the dialog's outcome (after Cancel the unchanged ones are written
// again), and the picture shows the shown position's colour at once.
void TfrmMainNew::bbtColorsClick()
{
    guarded([this] {
        m_store.loadLandscapeTypes();
        EditLandscapeTypeColors(m_store.landscapeTypes(), this);
        m_store.saveLandscapeTypesAndColors();
        cbxLandscapeTypeChange();
    });
}

// The update information downloads in the background while the window, disabled under
// a busy cursor, keeps repainting; the dialog opens when both downloads have ended.
void TfrmMainNew::bbtAboutClick()
{
    guarded([this] {
        if (m_aboutDownloads.isRunning())
            return;
        // A version that cannot be read ends the dialog's filling before any download:
        // the dialog opens at once with the error box, asking the site nothing.
        try {
            static_cast<void>(programVersion());
        } catch (const AppError&) {
            ShowAboutDialog(this, {});
            return;
        }
        m_aboutDownloads.start(networkJobPool(),
                               [url = updateInfoUrl()](const std::stop_token& stop) {
                                   return downloadUpdateInfo(url, stop);
                               });
        m_aboutDownloads.onFinished(this, [this] { aboutDownloadsDone(); });
        setEnabled(false);
        m_aboutBusy.emplace(BusyCursor::Kind::Background);
    });
}

void TfrmMainNew::aboutDownloadsDone()
{
    m_aboutBusy.reset();
    setEnabled(true);
    guarded([this] { ShowAboutDialog(this, m_aboutDownloads.result()); });
}
