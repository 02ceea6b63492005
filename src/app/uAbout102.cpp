#include "uAbout102.h"
#include "ui_uAbout102.h"

#include "apperror.h"
#include "apptitle.h"
#include "focuscue.h"
#include "handlerguard.h"
#include "systemdescription.h"
#include "updateinfo.h"
#include "webendpoints.h"
#include "windowplacement.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSysInfo>
#include <QUrl>

#include <algorithm>

using namespace tavelorn;

namespace {

// The right edge of the right-aligned labels.
constexpr int kRightEdge = 442;

QFont dialogFont(const QFont& base, int pixelSize)
{
    QFont f = base;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixelSize);
    return f;
}

} // namespace

TfrmAbout102::TfrmAbout102(const UpdateInfoDownloads& updateInfo, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TfrmAbout102>())
{
    setObjectName(QStringLiteral("frmAbout102"));
    setFont(dialogFont(font(), 11));
    ui->setupUi(this);
    setFixedSize(450, 288);

    const qreal dpr = devicePixelRatioF();
    // Drawn 450 x 424 and centred: its top and bottom 68 rows fall outside.
    backgroundPicture()->setPixmap(
        QIcon(QStringLiteral(":/about/background.svg")).pixmap(QSize(450, 424), dpr));
    ui->imgBug->setPixmap(QIcon(QStringLiteral(":/about/ladybird.svg")).pixmap(QSize(32, 32), dpr));
    ui->imgDonate->setPixmap(
        QIcon(QStringLiteral(":/about/donate.svg")).pixmap(QSize(74, 21), dpr));

    ui->lblApplicationTitle->setFont(dialogFont(font(), 21));
    ui->lblVersion->setFont(dialogFont(font(), 16));
    // The labels stand on the light artwork, not on the desktop's background: their
    // colours are fixed, or a dark desktop's white text would vanish. The red is dark
    // enough to read on the artwork's light blue.
    const auto fixText = [](QLabel* label, const QColor& colour) {
        QPalette pal = label->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            pal.setColor(group, QPalette::WindowText, colour);
        label->setPalette(pal);
    };
    for (QLabel* l : {ui->lblApplicationTitle, ui->lblVersion, ui->lblVersionHistory, systemLine(),
                      ui->lblCompilerVersion})
        fixText(l, Qt::black);
    fixText(ui->lblNewVersion, QColor(0xC0, 0x00, 0x00));
    fixText(ui->lblWebSite, Qt::blue);
    QFont underlined = ui->lblWebSite->font();
    underlined.setUnderline(true);
    ui->lblWebSite->setFont(underlined);
    ui->lblWebSite->setText(effectiveSiteHost());
    // Names for screen readers: the news box by the label above it, the pictures by
    // what they show.
    ui->memNews->setAccessibleName(ui->lblVersionHistory->text());
    new FocusCue(ui->memNews);
    ui->imgDonate->setAccessibleName(tr("Donate"));
    ui->imgBug->setAccessibleName(ui->imgBug->toolTip());

    connect(closeButton(), &QPushButton::clicked, this, &TfrmAbout102::BitBtn1Click);
    connect(ui->bbtEula, &QPushButton::clicked, this, &TfrmAbout102::WebLinkClick);
    connect(ui->lblWebSite, &ClickLabel::clicked, this, &TfrmAbout102::WebLinkClick);
    connect(ui->imgDonate, &ClickLabel::clicked, this, &TfrmAbout102::WebLinkClick);
    closeButton()->setFocus(Qt::OtherFocusReason);
    placeLabels();
    centreOnParent(this);

    // An error stops the filling: the error box says why and the dialog opens with the
    // controls not yet filled as they are.
    try {
        FormCreate(updateInfo);
    } catch (const AppError& e) {
        placeLabels();
        showErrorBox(parent, e.message());
    }
}

TfrmAbout102::~TfrmAbout102() = default;

void TfrmAbout102::FormCreate(const UpdateInfoDownloads& updateInfo)
{
    ui->imgBug->hide();
    ui->lblApplicationTitle->setText(appTitle());
    ui->lblVersion->setText(QStringLiteral("Version ") + programVersion());
    ui->lblNewVersion->setVisible(isNewVersionAvailable(updateInfo.versionFile));
    ui->memNews->setPlainText(readUpdateNews(updateInfo.newsFile));
    setSystemDescription();
    ui->lblCompilerVersion->setText(QStringLiteral("Compiled with ") + GetToolchainVersion());
    placeLabels();
}

void TfrmAbout102::setSystemDescription()
{
    const QString name = systemName();
    const QString full = operatingSystemDescription(name, QSysInfo::kernelVersion(),
                                                    QSysInfo::currentCpuArchitecture());
    const QFontMetrics fm(systemLine()->font());
    const int room = kRightEdge - systemLine()->x();
    if (fm.horizontalAdvance(full) <= room) {
        systemLine()->setText(full);
        return;
    }
    // The release is shown whole; the numbers after it give way, and the tooltip tells all.
    systemLine()->setToolTip(full);
    const QString numbers = full.mid(name.size());
    const int nameWidth = fm.horizontalAdvance(name);
    if (nameWidth > room) {
        systemLine()->setText(fm.elidedText(name, Qt::ElideRight, room));
        return;
    }
    const QString rest = fm.elidedText(numbers, Qt::ElideRight, room - nameWidth);
    // Only "(Version" and more, or nothing: a lone bracket or ellipsis says nothing.
    systemLine()->setText(rest.startsWith(QStringLiteral(" (Version")) ? name + rest : name);
}

void TfrmAbout102::placeLabels()
{
    for (QLabel* l : {ui->lblApplicationTitle, ui->lblVersion, ui->lblVersionHistory, systemLine(),
                      ui->lblCompilerVersion})
        l->adjustSize();
    for (QLabel* l : std::initializer_list<QLabel*>{ui->lblNewVersion, ui->lblWebSite}) {
        l->adjustSize();
        l->move(kRightEdge - l->width(), l->y());
    }
}

QLabel* TfrmAbout102::backgroundPicture() const
{
    return ui->Image1;
}

QLabel* TfrmAbout102::systemLine() const
{
    return ui->lblWindowsVersion;
}

QPushButton* TfrmAbout102::closeButton() const
{
    return ui->BitBtn1;
}

void TfrmAbout102::BitBtn1Click()
{
    close();
}

void TfrmAbout102::WebLinkClick()
{
    const QObject* source = sender();
    QString address;
    switch (source ? source->property("tag").toInt() : 0) {
    case 1:
        address = wikiStartPageUrl();
        break;
    case 2:
        address = donationAddress();
        break;
    case 3:
        address = eulaPageUrl();
        break;
    default:
        return;
    }
    // Without xdg-open (package xdg-utils) and any known browser, nothing would open and
    // Qt would only write to standard error: tell the user, with the address to copy.
    if (QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode)))
        return;
    QMessageBox box(QMessageBox::Information, appTitle(),
                    QStringLiteral("No web browser could be started to open\n") + address +
                        QStringLiteral("\n\nInstall the package xdg-utils, or copy the "
                                       "address into your web browser."),
                    QMessageBox::Ok, this);
    centreOnParent(&box);
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

void TfrmAbout102::keyPressEvent(QKeyEvent* event)
{
    // Only Close, the close box and the system menu close the dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ShowAboutDialog(QWidget* parent, const UpdateInfoDownloads& updateInfo)
{
    TfrmAbout102 dialog(updateInfo, parent);
    dialog.exec();
}

QString GetToolchainVersion()
{
#if defined(__clang__)
    return QStringLiteral("Clang ") + QString::fromLatin1(__clang_version__).trimmed();
#elif defined(__GNUC__)
    return QStringLiteral("GCC ") + QString::fromLatin1(__VERSION__);
#else
    return QStringLiteral("an unknown compiler");
#endif
}
