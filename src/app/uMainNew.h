#pragma once

#include "applyprofile.h"
#include "busycursor.h"
#include "configstore.h"
#include "handlerguard.h"
#include "job.h"
#include "picture.h"
#include "updateinfo.h"
#include "usageping.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace tavelorn {
class ConfigWatcher;
class ItemListModel;
class PictureFontDialog;
} // namespace tavelorn

namespace Ui {
class TfrmMainNew;
}

// The main window: the editing side on the left, the live preview on the right. Its
// handlers read the controls, call the store and the picture model, and set controls.
class TfrmMainNew : public QWidget, private tavelorn::ProfileControls
{
    Q_OBJECT

public:
    // arguments: the command line without the program name (it names Config.ini).
    explicit TfrmMainNew(const QStringList& arguments, QWidget* parent = nullptr);
    ~TfrmMainNew() override;

    // How long after the first paint of a showing the usage hit starts: loading the
    // download library takes a few dozen libraries, which should not compete with the
    // window's first frames on a busy machine.
    static constexpr int kUsageHitDelayMs = 500;

    tavelorn::ConfigStore& store() { return m_store; }
    const tavelorn::PictureModel& picture() const { return m_picture; }
    const QString& picturePath() const { return m_picturePath; }
    int infoLine() const { return m_info; }
    QMenu* importantInformationMenu() const { return pmImportantInformation; }

    // Runs a handler body in the window's HandlerGuard. The preview is rendered once the
    // outermost handler ends, when the model changed.
    void guarded(const std::function<void()>& body) { m_guard.run(body); }
    // Marks the picture model changed (the preview renders when the handler ends).
    void pictureChanged();
    // The error box: title "Corvandel", error icon, OK, the full-stop rule applied.
    void showError(const QString& message);

    // When Config.ini is no longer the file last read or written here, reads it and, if
    // another writer changed what it holds, reloads the profile selector and the lists,
    // keeping the selections and the edited fields (no profile is applied), with no
    // dialog and no write. Returns true when it reloaded. Does nothing while a handler or
    // a modal dialog runs (the watcher asks again).
    bool followConfigFile();

public slots:
    void cbxIDChange();
    void bbtID_SaveClick();
    void bbtID_DeleteClick();
    void bbtExitClick();
    // Save picture (the form's BitBtn2): exports the picture as a JPEG file.
    void BitBtn2Click();

    void bbtSystemTitleClick();
    void bbtLandscapeTypeClick();
    void bbtSIDClick();
    void bbtRefreshCommentClick();
    void bbtColorsClick();
    void bbtAboutClick();

    void cbxLandscapeTypeChange();
    void bbtPictureClick();
    void chkRefreshDateClick();
    void RefreshDateChange();
    void bbtImportantInfoClick();
    void mnuFontClick();
    void mnuAlignClick();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FormCreate(const QStringList& arguments);
    // Runs each time the window is shown by the program (not on restoring it).
    void FormShow();
    void ApplySystemInfo();
    // The profile the controls show, as Save writes it (its ID empty).
    tavelorn::Profile editedProfile() const;
    // False while a handler, a modal dialog or an open drop-down runs.
    bool mayFollowNow() const;
    // Busy cursor and repaints while the store loads and saves (off while following).
    void setStoreFeedback(bool on);
    void setupControls();
    // Accessible names of the controls, for screen readers.
    void nameControls();
    void setupMenu();
    void connectHandlers();
    // Controls whose form names say nothing, by what they are.
    QLabel* sidLabel() const;               // Label2: the caption of cbxSID
    QPushButton* savePictureButton() const; // BitBtn2
    // The controls that each set one value of the picture, connected from one table.
    void connectPictureControls();
    void renderPreview();
    // The refresh date picker's value: its date with the time of day it keeps.
    tavelorn::SerialDate refreshDate() const;
    void setRefreshDate(tavelorn::SerialDate date);
    // Selects the item at index (-1: none) without running a handler.
    static void selectIndex(QComboBox* combo, int index);
    // The text of the selected item, empty when none is selected.
    static QString comboText(const QComboBox* combo);

    // Applying a profile mirrors each value into its control without running the
    // control's handler.
    void showBorder(int width) override;
    void showSystemTitle(int index) override;
    void showLandscapeType(int index) override;
    void showSID(int index) override;
    void showUsages(const QString& usage1, const QString& usage2) override;
    void showPicturePath(const QString& path) override;
    void showPlacement(bool center, bool stretch) override;
    void showInfos(const QString& info1, const QString& info2, const QString& info3) override;
    void showRefresh(bool checked, tavelorn::SerialDate date) override;
    void showSourceSystem(int index) override;
    void showRefreshComment(int index, const QString& text) override;

    std::unique_ptr<Ui::TfrmMainNew> ui;
    // FConfigFile, FArrLandscapeType, FArrSystemInfo, FSystemInfoIdx and the option lists.
    tavelorn::ConfigStore m_store;
    QString m_picturePath;
    int m_info = 0;
    tavelorn::PictureModel m_picture;
    // The profile as the window last applied or saved it, which Save compares the
    // controls with to find the user's edit; none before the first pick.
    std::optional<tavelorn::Profile> m_appliedProfile;
    tavelorn::ConfigWatcher* m_watcher = nullptr;
    QTimer* m_followRetry = nullptr;
    bool m_following = false;

    // The selectors' models observe the store's lists: declared after m_store, they are
    // destroyed before it.
    std::unique_ptr<tavelorn::ItemListModel> m_idModel;
    std::unique_ptr<tavelorn::ItemListModel> m_systemTitleModel;
    std::unique_ptr<tavelorn::ItemListModel> m_sidModel;
    std::unique_ptr<tavelorn::ItemListModel> m_sourceSystemModel;
    std::unique_ptr<tavelorn::ItemListModel> m_landscapeTypeModel;
    std::unique_ptr<tavelorn::ItemListModel> m_refreshCommentModel;

    QMenu* pmImportantInformation = nullptr;
    QAction* mnuFont = nullptr;
    QMenu* Alignement1 = nullptr;
    QAction* mnuLeft = nullptr;
    QAction* mnuCenter = nullptr;
    QAction* mnuRight = nullptr;
    tavelorn::PictureFontDialog* FontDialog = nullptr;
    double m_refreshTime = 0; // time of day the date picker keeps, as a fraction of a day

    bool m_previewDirty = false;
    tavelorn::HandlerGuard m_guard{this, [this] {
                                       if (m_previewDirty)
                                           renderPreview();
                                   }};
    tavelorn::UsagePing m_usagePing;
    std::optional<tavelorn::BusyCursor> m_aboutBusy; // while the About downloads run
    // The About command's downloads; the dialog opens when they end. Declared last, so
    // that closing the window stops them first.
    tavelorn::Job<tavelorn::UpdateInfoDownloads> m_aboutDownloads;
    void aboutDownloadsDone();
    bool m_usageHitDue = false; // shown, the hit starts a while after the first paint
};
