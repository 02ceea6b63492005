#include "uMainNew.h"
#include "ui_uMainNew.h"

#include "apperror.h"
#include "apptitle.h"
#include "busycursor.h"
#include "buttonicon.h"
#include "comboaccessible.h"
#include "configfile.h"
#include "configwatcher.h"
#include "fontdialog.h"
#include "itemlistmodel.h"
#include "lockwaitprompt.h"
#include "safefile.h"
#include "windowpicture.h"
#include "windowplacement.h"

#include <QAccessibleWidget>
#include <QActionGroup>
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

using namespace tavelorn;

TfrmMainNew::TfrmMainNew(const QStringList& arguments, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint),
      ui(std::make_unique<Ui::TfrmMainNew>())
{
    setObjectName(QStringLiteral("frmMainNew"));

    // "Tahoma" 11 px where installed, else the desktop's sans face at the same height.
    QFont base = font();
    base.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    base.setPixelSize(11);
    setFont(base);

    // Screen readers hear the drop-down lists by what they are for, not by their text.
    installComboBoxAccessibility();
    ui->setupUi(this);
    setupControls();
    setupMenu();
    connectHandlers();

    setFixedSize(844, 600);
    setWindowIcon(applicationIcon());
    new CentredPlacement(this, [this] { return screen()->availableGeometry(); });

    FormCreate(arguments);
    ui->cbxID->setFocus(Qt::OtherFocusReason);
}

TfrmMainNew::~TfrmMainNew()
{
    // Closed while the About command downloads: the downloads stop at once, and the busy
    // cursor (m_aboutBusy) goes with the window.
    if (m_aboutDownloads.isRunning())
        m_aboutDownloads.cancel();
}

void TfrmMainNew::setupControls()
{
    QFont idFont = font();
    idFont.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    idFont.setPixelSize(13);
    idFont.setBold(true);
    ui->cbxID->setFont(idFont);

    // Labels keep their positions but take the width their text needs.
    for (QLabel* l : {ui->lblSystemTitle_, ui->lblLandscapeType_, sidLabel(), ui->lblRefreshSrc,
                      ui->lblRefreshComment})
        l->adjustSize();

    ui->ledtBorder->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,2}")), ui->ledtBorder));
    ui->udBorder->setAssociate(ui->ledtBorder);

    ui->dtRefreshDate->setDisplayFormat(shortDateFormat());
    ui->dtRefreshDate->setDate(QDate(2016, 7, 20));
    m_refreshTime = (19 * 3600 + 45 * 60 + 24) / 86400.0;

    const struct
    {
        QAbstractButton* button;
        const char* picture;
    } pictures[] = {
        {ui->bbtSystemTitle, "edit"},
        {ui->bbtLandscapeType, "edit"},
        {ui->bbtColors, "palette"},
        {ui->bbtSID, "edit"},
        {ui->bbtImportantInfo1, "fontcolor"},
        {ui->bbtImportantInfo2, "fontcolor"},
        {ui->bbtImportantInfo3, "fontcolor"},
        {ui->bbtRefreshComment, "edit"},
        {ui->bbtAbout, "about"},
        {ui->bbtID_Save, "save"},
        {ui->bbtID_Delete, "delete"},
        {savePictureButton(), "savepicture"},
        {ui->bbtExit, "exit"},
    };
    for (const auto& p : pictures)
        p.button->setIcon(
            windowPicture(QString::fromLatin1(p.picture), p.button->iconSize().width()));
    // The letter A is drawn in the buttons' text colour, the palette over it as it is.
    for (QAbstractButton* b : {ui->bbtImportantInfo1, ui->bbtImportantInfo2, ui->bbtImportantInfo3})
        setInkIcon(b, windowPicture(QStringLiteral("fontcolor-letter"), b->iconSize().width()),
                   windowPicture(QStringLiteral("fontcolor"), b->iconSize().width()),
                   b->iconSize().width());

    nameControls();

    ui->bbtImportantInfo1->setProperty("tag", 1);
    ui->bbtImportantInfo2->setProperty("tag", 2);
    ui->bbtImportantInfo3->setProperty("tag", 3);
    // The preview takes no input.
    ui->pnlPreview->setEnabled(false);

    m_idModel = std::make_unique<ItemListModel>(m_store.profileIds());
    m_systemTitleModel = std::make_unique<ItemListModel>(m_store.systemTitles());
    m_sidModel = std::make_unique<ItemListModel>(m_store.sids());
    m_sourceSystemModel = std::make_unique<ItemListModel>(m_store.sourceSystems());
    m_landscapeTypeModel = std::make_unique<ItemListModel>(m_store.landscapeTypeNames());
    m_refreshCommentModel = std::make_unique<ItemListModel>(m_store.refreshComments());
    m_idModel->attach(ui->cbxID);
    m_systemTitleModel->attach(ui->cbxSystemTitle);
    m_sidModel->attach(ui->cbxSID);
    m_sourceSystemModel->attach(ui->cbxSourceSystem);
    m_landscapeTypeModel->attach(ui->cbxLandscapeType);
    m_refreshCommentModel->attach(ui->cbxRefreshComment);

    setStoreFeedback(true);
    // Another writer's lock: the window stays painted and names the holder.
    m_store.setLockWaitObserver(LockWaitPrompt(this));
    // A journal or lock file that no writer made is ignored; the user hears of it once.
    tavelorn::setUntrustedFileReporter([window = QPointer<TfrmMainNew>(this)](const QString& m) {
        QTimer::singleShot(0, window, [window, m] {
            if (!window)
                return;
            QMessageBox box(QMessageBox::Warning, appTitle(), m, QMessageBox::Ok, window);
            centreOnParent(&box);
            box.exec();
        });
    });
    // A file read in the wrong code page would keep the misreading for good once written
    // as UTF-16: ask first, naming the page and the setting that changes it.
    m_store.setCodePageConfirmation([this](int codePage) {
        const QString text =
            tr("Config.ini was read in the Windows code page %1, which cannot hold a "
               "character of this change.\n\nSave it as Unicode (UTF-16), which Windows reads "
               "as well?\n\nIf the file comes from a Windows with another code page, answer "
               "No, quit, and start the program with TAVELORN_CODEPAGE set to that code "
               "page's number (for example TAVELORN_CODEPAGE=1250).")
                .arg(codePage);
        return askYesNo(this, QMessageBox::Question, appTitle(), text);
    });
}

void TfrmMainNew::setStoreFeedback(bool on)
{
    if (!on) {
        m_store.setBusyHandler({});
        m_store.setProcessEvents({});
        return;
    }
    // One busy cursor for each load or save running, nested or not.
    m_store.setBusyHandler([scopes = std::make_shared<std::vector<BusyCursor>>()](bool busy) {
        if (busy)
            scopes->emplace_back();
        else if (!scopes->empty())
            scopes->pop_back();
    });
    // Repaints only: a click must not start another command in the middle of a load. At
    // most every 10 ms: a round of the event loop for each of 100,000 profiles would
    // cost more than their load.
    m_store.setProcessEvents([last = std::make_shared<QElapsedTimer>()] {
        if (last->isValid() && !last->hasExpired(10))
            return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        last->start();
    });
}

namespace {

// A plain top-level widget reads as a "filler" to a screen reader: the window is a frame.
QAccessibleInterface* mainWindowFactory(const QString& className, QObject* object)
{
    if (object && object->isWidgetType() && className == QLatin1String("TfrmMainNew"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void TfrmMainNew::nameControls()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(mainWindowFactory); });

    // What a screen reader says for each control: a drop-down is named by the label
    // beside it, which becomes its buddy, a picture button by what it does.
    const struct
    {
        QLabel* label;
        QWidget* control;
    } labelled[] = {
        {ui->lblSystemTitle_, ui->cbxSystemTitle},
        {ui->lblLandscapeType_, ui->cbxLandscapeType},
        {sidLabel(), ui->cbxSID},
        {ui->lblRefreshSrc, ui->cbxSourceSystem},
        {ui->lblRefreshComment, ui->cbxRefreshComment},
    };
    for (const auto& l : labelled) {
        l.label->setBuddy(l.control);
        l.control->setAccessibleName(l.label->text());
    }
    ui->cbxID->setAccessibleName(tr("Profile"));
    ui->pnlPreview->setAccessibleName(tr("Picture preview"));
    ui->dtRefreshDate->setAccessibleName(tr("Last refresh date"));
    for (LabeledEdit* e : {ui->ledtUsage1, ui->ledtUsage2, ui->ledtInfo1, ui->ledtInfo2,
                           ui->ledtInfo3, ui->ledtBorder})
        e->setAccessibleName(e->caption());
    ui->udBorder->setAccessibleName(ui->ledtBorder->caption());

    const struct
    {
        QAbstractButton* button;
        QString name;
    } buttons[] = {
        {ui->bbtSystemTitle, tr("Edit the system titles")},
        {ui->bbtLandscapeType, tr("Edit the landscape positions")},
        {ui->bbtColors, tr("Assign color to system position")},
        {ui->bbtSID, tr("Edit the SIDs")},
        {ui->bbtImportantInfo1, tr("Font and alignment of line 1")},
        {ui->bbtImportantInfo2, tr("Font and alignment of line 2")},
        {ui->bbtImportantInfo3, tr("Font and alignment of line 3")},
        {ui->bbtRefreshComment, tr("Edit the refresh comments")},
    };
    for (const auto& b : buttons)
        b.button->setAccessibleName(b.name);
    // The bar's buttons show their names as tooltips.
    for (QAbstractButton* b :
         {ui->bbtAbout, ui->bbtID_Save, ui->bbtID_Delete, savePictureButton(), ui->bbtExit})
        b->setAccessibleName(b->toolTip());
}

void TfrmMainNew::setupMenu()
{
    pmImportantInformation = new QMenu(this);
    pmImportantInformation->setObjectName(QStringLiteral("pmImportantInformation"));
    mnuFont = pmImportantInformation->addAction(tr("Font ..."));
    mnuFont->setObjectName(QStringLiteral("mnuFont"));
    Alignement1 = pmImportantInformation->addMenu(tr("Alignement"));
    Alignement1->setObjectName(QStringLiteral("Alignement1"));
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    mnuLeft = Alignement1->addAction(tr("Left"));
    mnuCenter = Alignement1->addAction(tr("Center"));
    mnuRight = Alignement1->addAction(tr("Right"));
    mnuLeft->setObjectName(QStringLiteral("mnuLeft"));
    mnuCenter->setObjectName(QStringLiteral("mnuCenter"));
    mnuRight->setObjectName(QStringLiteral("mnuRight"));
    for (QAction* a : {mnuLeft, mnuCenter, mnuRight}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    mnuCenter->setChecked(true);
}

QLabel* TfrmMainNew::sidLabel() const
{
    return ui->Label2;
}

QPushButton* TfrmMainNew::savePictureButton() const
{
    return ui->BitBtn2;
}

void TfrmMainNew::connectHandlers()
{
    connectPictureControls();
    const auto activated = &QComboBox::activated;
    connect(ui->cbxID, activated, this, &TfrmMainNew::cbxIDChange);
    connect(ui->cbxLandscapeType, activated, this, &TfrmMainNew::cbxLandscapeTypeChange);
    connect(ui->cbxSourceSystem, activated, this, &TfrmMainNew::RefreshDateChange);
    connect(ui->cbxRefreshComment, activated, this, &TfrmMainNew::RefreshDateChange);
    // Programmatic date changes block the picker's signals: only the user's run this.
    connect(ui->dtRefreshDate, &QDateEdit::dateChanged, this, &TfrmMainNew::RefreshDateChange);
    connect(ui->chkRefreshDate, &QCheckBox::toggled, this, &TfrmMainNew::chkRefreshDateClick);

    connect(ui->bbtPicture, &QPushButton::clicked, this, &TfrmMainNew::bbtPictureClick);
    connect(ui->bbtImportantInfo1, &QPushButton::clicked, this,
            &TfrmMainNew::bbtImportantInfoClick);
    connect(ui->bbtImportantInfo2, &QPushButton::clicked, this,
            &TfrmMainNew::bbtImportantInfoClick);
    connect(ui->bbtImportantInfo3, &QPushButton::clicked, this,
            &TfrmMainNew::bbtImportantInfoClick);
    connect(mnuFont, &QAction::triggered, this, &TfrmMainNew::mnuFontClick);
    for (QAction* a : {mnuLeft, mnuCenter, mnuRight})
        connect(a, &QAction::triggered, this, &TfrmMainNew::mnuAlignClick);

    // A reload that drops the shown item empties the control: the picture follows, so
    // that it shows what Save writes.
    const auto lost = &ItemListModel::selectionLost;
    connect(m_idModel.get(), lost, this, [this] { ui->bbtID_Delete->setEnabled(false); });
    connect(m_landscapeTypeModel.get(), lost, this, &TfrmMainNew::cbxLandscapeTypeChange);
    connect(m_sourceSystemModel.get(), lost, this, &TfrmMainNew::RefreshDateChange);
    connect(m_refreshCommentModel.get(), lost, this, &TfrmMainNew::RefreshDateChange);
    // A renamed item stays shown under its new name.
    const auto replaced = &ItemListModel::selectionReplaced;
    connect(m_landscapeTypeModel.get(), replaced, this, &TfrmMainNew::cbxLandscapeTypeChange);
    connect(m_sourceSystemModel.get(), replaced, this, &TfrmMainNew::RefreshDateChange);
    connect(m_refreshCommentModel.get(), replaced, this, &TfrmMainNew::RefreshDateChange);

    connect(ui->bbtID_Save, &QPushButton::clicked, this, &TfrmMainNew::bbtID_SaveClick);
    connect(ui->bbtID_Delete, &QPushButton::clicked, this, &TfrmMainNew::bbtID_DeleteClick);
    connect(savePictureButton(), &QPushButton::clicked, this, &TfrmMainNew::BitBtn2Click);
    connect(ui->bbtExit, &QPushButton::clicked, this, &TfrmMainNew::bbtExitClick);

    connect(ui->bbtSystemTitle, &QPushButton::clicked, this, &TfrmMainNew::bbtSystemTitleClick);
    connect(ui->bbtLandscapeType, &QPushButton::clicked, this, &TfrmMainNew::bbtLandscapeTypeClick);
    connect(ui->bbtSID, &QPushButton::clicked, this, &TfrmMainNew::bbtSIDClick);
    connect(ui->bbtRefreshComment, &QPushButton::clicked, this,
            &TfrmMainNew::bbtRefreshCommentClick);
    connect(ui->bbtColors, &QPushButton::clicked, this, &TfrmMainNew::bbtColorsClick);
    connect(ui->bbtAbout, &QPushButton::clicked, this, &TfrmMainNew::bbtAboutClick);
}

void TfrmMainNew::FormCreate(const QStringList& arguments)
{
    setWindowTitle(appTitle());
    m_store.setFilePath(locateConfigFile(arguments));
    // Watched from before the first read, so that no change after it goes unseen.
    m_watcher = new ConfigWatcher(m_store.filePath(), this);
    // A change seen while a command runs is followed soon after it ends.
    m_followRetry = new QTimer(this);
    m_followRetry->setSingleShot(true);
    m_followRetry->setInterval(100);
    const auto follow = [this] {
        if (!mayFollowNow())
            m_followRetry->start();
        else
            followConfigFile();
    };
    connect(m_watcher, &ConfigWatcher::changed, this, follow);
    connect(m_followRetry, &QTimer::timeout, this, follow);
    // An error ends the loading; the window opens all the same.
    guarded([this] { m_store.loadAll(); });
    pictureChanged();
    renderPreview();
}

void TfrmMainNew::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmMainNew::FormShow()
{
    // Sent in the background once the window has painted and settled: the window waits
    // neither for the analytics server nor for loading the download library.
    m_usageHitDue = true;
}

void TfrmMainNew::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (m_usageHitDue) {
        m_usageHitDue = false;
        QTimer::singleShot(kUsageHitDelayMs, this, [this] { m_usagePing.sendUsageHit(); });
    }
}

void TfrmMainNew::showError(const QString& message)
{
    showErrorBox(this, message);
}

void TfrmMainNew::pictureChanged()
{
    m_previewDirty = true;
}

void TfrmMainNew::renderPreview()
{
    m_previewDirty = false;
    QImage image;
    renderPicture(m_picture, image);
    ui->pnlPreview->setImage(image);
    // A JPEG whose data proves corrupt only at first drawing says so once.
    if (m_picture.background.graphic) {
        const QString error = m_picture.background.graphic->takeDrawError();
        if (!error.isEmpty())
            throw AppError(error);
    }
}

SerialDate TfrmMainNew::refreshDate() const
{
    return fromQDate(ui->dtRefreshDate->date()) + m_refreshTime;
}

void TfrmMainNew::setRefreshDate(SerialDate date)
{
    const QSignalBlocker block(ui->dtRefreshDate);
    ui->dtRefreshDate->setDate(dateOf(date));
    m_refreshTime = date - std::floor(date);
}

void TfrmMainNew::selectIndex(QComboBox* combo, int index)
{
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index);
}

void TfrmMainNew::bbtExitClick()
{
    close();
}

QString TfrmMainNew::comboText(const QComboBox* combo)
{
    return combo->currentIndex() >= 0 ? combo->currentText() : QString();
}
