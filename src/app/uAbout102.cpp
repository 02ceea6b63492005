#include "uAbout102.h"
#include "ui_uAbout102.h"

#include "apperror.h"
#include "apptitle.h"
#include "handlerguard.h"
#include "updateinfo.h"
#include "webendpoints.h"

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
constexpr int RightEdge = 442;

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
    ui->imgDonate->setAccessibleName(tr("Donate"));
    ui->imgBug->setAccessibleName(ui->imgBug->toolTip());

    connect(closeButton(), &QPushButton::clicked, this, &TfrmAbout102::BitBtn1Click);
    connect(ui->bbtEula, &QPushButton::clicked, this, &TfrmAbout102::WebLinkClick);
    connect(ui->lblWebSite, &TClickLabel::clicked, this, &TfrmAbout102::WebLinkClick);
    connect(ui->imgDonate, &TClickLabel::clicked, this, &TfrmAbout102::WebLinkClick);
    closeButton()->setFocus(Qt::OtherFocusReason);
    placeLabels();

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
    ui->lblApplicationTitle->setText(AppTitle());
    ui->lblVersion->setText(QStringLiteral("Version ") + programVersion());
    ui->lblNewVersion->setVisible(isNewVersionAvailable(updateInfo.versionFile));
    ui->memNews->setPlainText(readUpdateNews(updateInfo.newsFile));
    setSystemDescription();
    ui->lblCompilerVersion->setText(QStringLiteral("Compiled with ") + GetToolchainVersion());
    placeLabels();
}

void TfrmAbout102::setSystemDescription()
{
    const QString release = QSysInfo::kernelVersion();
    const QString arch = QSysInfo::currentCpuArchitecture();
    const QString full = OperatingSystemDescription(SystemName(), release, arch);
    const QFontMetrics fm(systemLine()->font());
    const int room = RightEdge - systemLine()->x();
    if (fm.horizontalAdvance(full) <= room) {
        systemLine()->setText(full);
        return;
    }
    // A long distribution name gives way to its short form ("Debian 12"), shortened
    // further if need be; the numbers stay whole and the tooltip tells all.
    const QString name = ShortSystemName();
    const QString shortText = OperatingSystemDescription(name, release, arch);
    const int nameRoom =
        std::max(0, room - (fm.horizontalAdvance(shortText) - fm.horizontalAdvance(name)));
    systemLine()->setText(
        OperatingSystemDescription(fm.elidedText(name, Qt::ElideRight, nameRoom), release, arch));
    systemLine()->setToolTip(full);
}

void TfrmAbout102::placeLabels()
{
    for (QLabel* l : {ui->lblApplicationTitle, ui->lblVersion, ui->lblVersionHistory, systemLine(),
                      ui->lblCompilerVersion})
        l->adjustSize();
    for (QLabel* l : std::initializer_list<QLabel*>{ui->lblNewVersion, ui->lblWebSite}) {
        l->adjustSize();
        l->move(RightEdge - l->width(), l->y());
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
    QMessageBox box(QMessageBox::Information, AppTitle(),
                    QStringLiteral("No web browser could be started to open\n") + address +
                        QStringLiteral("\n\nInstall the package xdg-utils, or copy the "
                                       "address into your web browser."),
                    QMessageBox::Ok, this);
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

QString OperatingSystemDescription(const QString& name, const QString& kernelRelease,
                                   const QString& cpuArchitecture)
{
    // "6.1.0-18-amd64": major, minor and build are the leading numbers.
    int numbers[3] = {0, 0, 0};
    qsizetype i = 0;
    for (int& number : numbers) {
        const qsizetype start = i;
        while (i < kernelRelease.size() && kernelRelease[i].isDigit())
            ++i;
        number = kernelRelease.mid(start, i - start).toInt(); // 0 when out of range
        if (i == start || i >= kernelRelease.size() || kernelRelease[i] != u'.')
            break;
        ++i;
    }
    const bool is64 = cpuArchitecture.contains(QStringLiteral("64")) ||
                      cpuArchitecture == u"s390x" || cpuArchitecture == u"sparcv9";
    return name + QStringLiteral(" (Version ") + QString::number(numbers[0]) + u'.' +
           QString::number(numbers[1]) + QStringLiteral(", Build ") + QString::number(numbers[2]) +
           QStringLiteral(", ") +
           (is64 ? QStringLiteral("Edition 64 bits") : QStringLiteral("Edition 32 bits")) + u')';
}

QString SystemName()
{
    const QString name = QSysInfo::prettyProductName();
    return name.isEmpty() ? QStringLiteral("Linux") : name;
}

QString ShortSystemName()
{
    QString type = QSysInfo::productType();
    if (type.isEmpty() || type == u"unknown")
        return SystemName();
    type[0] = type[0].toUpper();
    const QString version = QSysInfo::productVersion();
    return version.isEmpty() || version == u"unknown" ? type : type + u' ' + version;
}

QString OperatingSystemDescription()
{
    return OperatingSystemDescription(SystemName(), QSysInfo::kernelVersion(),
                                      QSysInfo::currentCpuArchitecture());
}
