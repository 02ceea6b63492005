#include "uEditLandscapeTypeColor.h"
#include "ui_uEditLandscapeTypeColor.h"

#include "buttonicon.h"
#include "clicklabel.h"
#include "colorpickerdropdown.h"
#include "pickeraccessible.h"
#include "picture.h"
#include "windowplacement.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

using namespace tavelorn;

namespace {

// The preview words stand on one line: the position right-aligned to x = 310 of the
// dialog, "SID" from x = 316, both with their top at y = 86.
constexpr int kPositionRight = 310;
constexpr int kWordsTop = 86;
constexpr int kWordsHeight = 39;

QColor previewQColor(Color c)
{
    // System colours as the picture resolves them, so the words look as they will there.
    const Color v = defaultSchemeColor(c);
    return QColor(colorRed(v), colorGreen(v), colorBlue(v));
}

// Paints the keyboard's current line only once it is selected: the list takes a current
// line when it gets the focus, which must not look like a chosen position.
class ChosenOnlyDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_Selected))
            option->state &= ~QStyle::State_HasFocus;
    }
};

} // namespace

TfrmEditLandscapeTypeColor::TfrmEditLandscapeTypeColor(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint),
      ui(std::make_unique<Ui::TfrmEditLandscapeTypeColor>())
{
    // What a screen reader hears of the picker, in place before the picker is made.
    installColorPickerAccessibility();
    ui->setupUi(this);

    // "Tahoma" 11 px where installed, else the desktop's sans face at the same height.
    QFont formFont = font();
    formFont.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    formFont.setPixelSize(11);
    setFont(formFont);
    setFixedSize(410, 234);

    QPalette shape = ui->Shape->palette();
    shape.setColor(QPalette::Window, Qt::white);
    shape.setColor(QPalette::WindowText, Qt::black); // the outline
    ui->Shape->setPalette(shape);
    PictureFont words;
    words.height = 32;
    ui->lblLandscapeType->setFont(pictureQFont(words));
    words.bold = true;
    ui->lblSID->setFont(pictureQFont(words));
    // The preview words open the colour dialog on a click; the position's word is also
    // a tab stop that Space and Enter press.
    for (ClickLabel* l : {ui->lblLandscapeType, ui->lblSID})
        connect(l, &ClickLabel::clicked, this, &TfrmEditLandscapeTypeColor::lblLandscapeTypeClick);
    nameControls();

    okButton()->setIcon(makeButtonIcon(QStringLiteral(":/stringlisteditor/ok.svg"), 16));
    cancelButton()->setIcon(makeButtonIcon(QStringLiteral(":/stringlisteditor/delete.svg"), 16));
    for (QPushButton* b : {okButton(), cancelButton()})
        b->setIconSize(QSize(16, 16));

    ui->ListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->ListBox->setItemDelegate(new ChosenOnlyDelegate(ui->ListBox));
    ui->ListBox->installEventFilter(this);
    setupPicker();

    connect(ui->ListBox, &QListWidget::itemSelectionChanged, this,
            &TfrmEditLandscapeTypeColor::ListBoxClick);
    connect(ui->ColorPickerDropDown, &ColorPickerDropDown::colorSelected, this,
            &TfrmEditLandscapeTypeColor::ColorPickerDropDownSelect);
    connect(ui->ColorPickerDropDown, &ColorPickerDropDown::footerButtonClicked, this,
            &TfrmEditLandscapeTypeColor::ColorPickerDropDownDropDownFooterButtonClick);
    connect(okButton(), &QPushButton::clicked, this, &TfrmEditLandscapeTypeColor::accept);
    connect(cancelButton(), &QPushButton::clicked, this, &TfrmEditLandscapeTypeColor::reject);

    setLandscapeTypes({});
    centreOnParent(this);
}

TfrmEditLandscapeTypeColor::~TfrmEditLandscapeTypeColor() = default;

QPushButton* TfrmEditLandscapeTypeColor::okButton() const
{
    return ui->BitBtn2;
}

QPushButton* TfrmEditLandscapeTypeColor::cancelButton() const
{
    return ui->BitBtn1;
}

void TfrmEditLandscapeTypeColor::setupPicker()
{
    ColorPickerDropDown* picker = ui->ColorPickerDropDown;
    picker->addDefaultColors(); // the 16 named colours, "Black" to "White"
    picker->setSelectionColorStyle(SelectionColorStyle::Office2007);
    picker->setDropDownColor(colorFromHex(0xDAE5F3));
    picker->setDropDownBorderColor(kColorNone);
    picker->setDropDownBorderWidth(1);
    picker->setDropDownWidth(206);

    ItemAppearance items;
    items.borderColor = colorFromHex(0xD3D78D);
    items.borderColorTop = colorFromHex(0xFFFEF4);
    items.borderColorBottom = colorFromHex(0xFFF8CA);
    items.edgeColor = colorFromHex(0xDFD9C3);
    items.colorHot = colorFromHex(0xFDFFD7);
    items.colorHotTo = colorFromHex(0xFCD458);
    items.colorMirrorHot = colorFromHex(0xFCD458);
    items.colorMirrorHotTo = colorFromHex(0xFCF1B3);
    items.colorHotText = colorFromHex(0x000000);
    items.colorSelected = colorFromHex(0xFBFFA6);
    items.colorSelectedTo = colorFromHex(0xF4B904);
    items.colorMirrorSelected = colorFromHex(0xFBC115);
    items.colorMirrorSelectedTo = colorFromHex(0xF9E368);
    items.colorSelectedText = colorFromHex(0x000000);
    items.borderColorHot = kColorNone;
    items.borderColorSelected = kColorNone;
    items.font = ItemAppearance::defaultFont();
    items.fontColor = kColorWindowText;
    picker->setItemAppearance(items);

    FooterAppearance footer;
    footer.visible = true;
    footer.height = 22;
    footer.borderWidth = 1;
    footer.sizeGrip = true;
    footer.buttonAlignment = ButtonAlignment::Right;
    footer.color = colorFromHex(0xE3EFFF);
    footer.colorTo = colorFromHex(0xAFD2FF);
    footer.borderColor = colorFromHex(0xAFD2FF);
    footer.font = ItemAppearance::defaultFont();
    footer.fontColor = colorFromHex(0x083772);
    // Screen readers name each button by the style it switches to.
    const struct
    {
        const char* caption;
        QString name;
    } styleButtons[] = {
        {"Spect", tr("Spectrum")},
        {"Cube", tr("Color honeycomb")},
        {"Disc", tr("Theme colors")},
        {"List", tr("Named colors")},
    };
    for (const auto& b : styleButtons) {
        FooterButton button;
        button.caption = QString::fromLatin1(b.caption);
        button.accessibleName = b.name;
        footer.buttons.append(button);
    }
    picker->setDropDownFooter(footer);

    ButtonAppearance buttons;
    buttons.color = colorFromHex(0xE3EFFF);
    buttons.colorTo = colorFromHex(0xC4DDFF);
    buttons.borderColor = kColorNone;
    buttons.colorHot = colorFromHex(0xFFFDEB);
    buttons.borderColorHot = colorFromHex(0xDBCE99);
    buttons.colorDown = colorFromHex(0xFFD9AA);
    buttons.borderColorDown = colorFromHex(0xFEAE42);
    buttons.font = ItemAppearance::defaultFont();
    picker->setButtonAppearance(buttons);
}

void TfrmEditLandscapeTypeColor::nameControls()
{
    // What a screen reader says for each control.
    ui->ListBox->setAccessibleName(tr("Positions in the landscape"));
    ui->ColorPickerDropDown->setAccessibleName(tr("Color"));
    // The two preview words open the same dialog, but a list of names must tell them apart.
    ui->lblLandscapeType->setAccessibleName(tr("Choose another color"));
    ui->lblLandscapeType->setAccessibleDescription(tr("Opens the color dialog"));
    ui->lblSID->setAccessibleName(tr("Choose another color (SID)"));
    ui->lblSID->setAccessibleDescription(ui->lblLandscapeType->accessibleDescription());
    ui->Shape->setAccessibleName(tr("Preview"));
}

void TfrmEditLandscapeTypeColor::setLandscapeTypes(const LandscapeTypeList& types)
{
    m_landscapeTypes = types;
    m_lastSelected = -1;
    {
        const QSignalBlocker block(ui->ListBox);
        ui->ListBox->clear();
        QStringList names;
        names.reserve(types.size());
        for (const LandscapeType& t : types)
            names.append(t.name);
        ui->ListBox->addItems(names);
        ui->ListBox->clearSelection();
    }
    setPreviewCaption(QStringLiteral("WWWW"));
    setPreviewColor(kColorWindowText);
    const QSignalBlocker block(ui->ColorPickerDropDown);
    ui->ColorPickerDropDown->setSelectedColor(tavelorn::kColorNone);
    ui->ColorPickerDropDown->setColorSelectionStyle(ColorSelectionStyle::List);
}

int TfrmEditLandscapeTypeColor::selectedIndex() const
{
    const QList<QListWidgetItem*> selected = ui->ListBox->selectedItems();
    return selected.isEmpty() ? -1 : ui->ListBox->row(selected.first());
}

void TfrmEditLandscapeTypeColor::accept()
{
    done(kResultOk);
}

void TfrmEditLandscapeTypeColor::reject()
{
    done(kResultCancel);
}

void TfrmEditLandscapeTypeColor::ListBoxClick()
{
    m_guard.run([this] {
        const int i = selectedIndex();
        if (i < 0) {
            // A ctrl+click took the selection away; a position list always keeps one.
            if (m_lastSelected >= 0 && m_lastSelected < ui->ListBox->count()) {
                const QSignalBlocker block(ui->ListBox);
                ui->ListBox->setCurrentRow(m_lastSelected, QItemSelectionModel::ClearAndSelect);
            }
            return;
        }
        m_lastSelected = i;
        // May raise the picker's colorSelected, which rewrites element i's colour with the
        // named colour of the same value.
        HandlerGuard::nested(
            [&] { ui->ColorPickerDropDown->setSelectedColor(m_landscapeTypes[i].color); });
        setPreviewCaption(m_landscapeTypes[i].name);
        setPreviewColor(m_landscapeTypes[i].color);
    });
}

void TfrmEditLandscapeTypeColor::ColorPickerDropDownSelect()
{
    m_guard.run([this] {
        const int i = selectedIndex();
        if (i < 0)
            return;
        m_landscapeTypes[i].color = ui->ColorPickerDropDown->selectedColor();
        setPreviewColor(m_landscapeTypes[i].color);
    });
}

void TfrmEditLandscapeTypeColor::lblLandscapeTypeClick()
{
    m_guard.run([this] {
        const int i = selectedIndex();
        if (i < 0)
            return;
        if (!m_colorDialog) {
            m_colorDialog = new QColorDialog(this);
            m_colorDialog->setObjectName(QStringLiteral("ColorDialog"));
            centreOnParent(m_colorDialog);
        }
        m_colorDialog->setCurrentColor(previewQColor(m_previewColor));
        if (m_colorDialog->exec() != QDialog::Accepted)
            return;
        const QColor chosen = m_colorDialog->selectedColor().toRgb();
        m_landscapeTypes[i].color = makeColor(chosen.red(), chosen.green(), chosen.blue());
        HandlerGuard::nested(
            [&] { ui->ColorPickerDropDown->setSelectedColor(m_landscapeTypes[i].color); });
        setPreviewColor(m_landscapeTypes[i].color);
    });
}

void TfrmEditLandscapeTypeColor::ColorPickerDropDownDropDownFooterButtonClick(int ButtonIndex)
{
    m_guard.run([this, ButtonIndex] {
        static constexpr ColorSelectionStyle styles[] = {
            ColorSelectionStyle::Spectrum, ColorSelectionStyle::ColorCube,
            ColorSelectionStyle::Discrete, ColorSelectionStyle::List};
        if (ButtonIndex < 0 || ButtonIndex >= int(std::size(styles)))
            return;
        ui->ColorPickerDropDown->setColorSelectionStyle(styles[ButtonIndex]);
    });
}

void TfrmEditLandscapeTypeColor::setPreviewCaption(const QString& caption)
{
    // Right-aligned: a longer name grows to the left, and one that would leave the white
    // rectangle is shortened with an ellipsis at its start.
    QLabel* label = ui->lblLandscapeType;
    const QPoint origin = ui->Shape->pos();
    const int right = kPositionRight - origin.x();
    const int room = right - ui->Shape->frameWidth() - 4;
    const QFontMetrics fm(label->font());
    const QString shown = fm.horizontalAdvance(caption) > room
                              ? fm.elidedText(caption, Qt::ElideLeft, room)
                              : caption;
    const int width = fm.horizontalAdvance(shown);
    label->setText(shown);
    label->setToolTip(shown == caption ? QString() : caption);
    label->setGeometry(right - width, kWordsTop - origin.y(), width, kWordsHeight);
}

void TfrmEditLandscapeTypeColor::setPreviewColor(Color color)
{
    m_previewColor = color;
    const QColor q = previewQColor(color);
    for (QLabel* l : {ui->lblLandscapeType, ui->lblSID}) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, q);
        l->setPalette(pal);
    }
}

bool TfrmEditLandscapeTypeColor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->ListBox && event->type() == QEvent::KeyPress) {
        // With no line selected the first arrow key selects the first line, as a list
        // box does, rather than the line after the one Qt marks current on focus.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Down || key == Qt::Key_Up) && selectedIndex() < 0 &&
            ui->ListBox->count() > 0) {
            ui->ListBox->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmEditLandscapeTypeColor::showEvent(QShowEvent* event)
{
    if (!m_focusPlaced) {
        m_focusPlaced = true;
        ui->ListBox->setFocus();
    }
    QDialog::showEvent(event);
}

void EditLandscapeTypeColors(LandscapeTypeList& types, QWidget* parent)
{
    TfrmEditLandscapeTypeColor dialog(parent);
    dialog.setLandscapeTypes(types);
    if (dialog.exec() == TfrmEditLandscapeTypeColor::kResultOk)
        types = dialog.landscapeTypes();
}
