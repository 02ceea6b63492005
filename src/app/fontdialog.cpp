#include "fontdialog.h"

#include "comboaccessible.h"
#include "windowplacement.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace tavelorn;

namespace {

// The Windows character sets a stored font may name; the face decides what they mean
// here, the value is kept so that a chosen font round-trips.
const struct
{
    int value;
    const char* name;
} Charsets[] = {
    {0, "Western"},
    {1, "Default"},
    {2, "Symbol"},
    {77, "Mac"},
    {128, "Japanese"},
    {129, "Korean"},
    {134, "Chinese (GB)"},
    {136, "Chinese (Big5)"},
    {161, "Greek"},
    {162, "Turkish"},
    {163, "Vietnamese"},
    {177, "Hebrew"},
    {178, "Arabic"},
    {186, "Baltic"},
    {204, "Cyrillic"},
    {222, "Thai"},
    {238, "Central European"},
    {255, "OEM"},
};

} // namespace

struct TFontDialog::Private
{
    QFontComboBox* face = nullptr;
    QSpinBox* height = nullptr;
    QCheckBox* bold = nullptr;
    QCheckBox* italic = nullptr;
    QCheckBox* underline = nullptr;
    QCheckBox* strikeOut = nullptr;
    QPushButton* color = nullptr;
    QComboBox* charset = nullptr;
    QLabel* sample = nullptr;
    Color colorValue = kColorWindowText;
    QString faceName; // kept as given when the face is not installed
};

TFontDialog::TFontDialog(QWidget* parent) : QDialog(parent), d(std::make_unique<Private>())
{
    setWindowTitle(tr("Font"));
    d->face = new QFontComboBox(this);
    d->height = new QSpinBox(this);
    d->height->setRange(1, 200);
    d->height->setSuffix(tr(" px"));
    d->bold = new QCheckBox(tr("&Bold"), this);
    d->italic = new QCheckBox(tr("&Italic"), this);
    d->underline = new QCheckBox(tr("&Underline"), this);
    d->strikeOut = new QCheckBox(tr("&Strikeout"), this);
    d->color = new QPushButton(this);
    d->color->setObjectName(QStringLiteral("color"));
    d->charset = new QComboBox(this);
    for (const auto& c : Charsets)
        d->charset->addItem(tr(c.name), c.value);
    d->sample = new QLabel(tr("AaBbYyZz"), this);
    d->sample->setAlignment(Qt::AlignCenter);
    d->sample->setMinimumSize(260, 60);
    d->sample->setFrameShape(QFrame::StyledPanel);
    d->sample->setAutoFillBackground(true);
    QPalette pal = d->sample->palette();
    pal.setColor(QPalette::Window, Qt::white);
    d->sample->setPalette(pal);

    auto* styles = new QHBoxLayout;
    for (QCheckBox* b : {d->bold, d->italic, d->underline, d->strikeOut})
        styles->addWidget(b);
    auto* form = new QFormLayout;
    form->addRow(tr("&Face:"), d->face);
    form->addRow(tr("&Height:"), d->height);
    form->addRow(tr("Style:"), styles);
    form->addRow(tr("&Colour:"), d->color);
    form->addRow(tr("Character &set:"), d->charset);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(d->sample);
    layout->addWidget(buttons);

    // Named for what they set: the colour button shows its value, the face list's
    // edit nothing of its own.
    installComboBoxAccessibility();
    d->face->setAccessibleName(tr("Face"));
    d->face->lineEdit()->setAccessibleName(tr("Face"));
    d->height->setAccessibleName(tr("Height"));
    d->color->setAccessibleName(tr("Colour"));
    d->charset->setAccessibleName(tr("Character set"));

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(d->color, &QPushButton::clicked, this, &TFontDialog::chooseColor);
    connect(d->face, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        d->faceName = f.family();
        updateSample();
    });
    connect(d->height, &QSpinBox::valueChanged, this, &TFontDialog::updateSample);
    for (QCheckBox* b : {d->bold, d->italic, d->underline, d->strikeOut})
        connect(b, &QCheckBox::toggled, this, &TFontDialog::updateSample);
    setPictureFont(PictureFont{});
}

TFontDialog::~TFontDialog() = default;

void TFontDialog::setPictureFont(const PictureFont& font)
{
    {
        const QSignalBlocker block(d->face);
        d->face->setCurrentFont(pictureQFont(font));
    }
    d->faceName = font.name;
    d->height->setValue(font.height);
    d->bold->setChecked(font.bold);
    d->italic->setChecked(font.italic);
    d->underline->setChecked(font.underline);
    d->strikeOut->setChecked(font.strikeOut);
    d->colorValue = font.color;
    int idx = d->charset->findData(font.charset);
    if (idx < 0) {
        d->charset->addItem(QString::number(font.charset), font.charset);
        idx = d->charset->count() - 1;
    }
    d->charset->setCurrentIndex(idx);
    updateSample();
}

PictureFont TFontDialog::pictureFont() const
{
    PictureFont f;
    f.name = d->faceName;
    f.height = d->height->value();
    f.bold = d->bold->isChecked();
    f.italic = d->italic->isChecked();
    f.underline = d->underline->isChecked();
    f.strikeOut = d->strikeOut->isChecked();
    f.color = d->colorValue;
    f.charset = d->charset->currentData().toInt();
    return f;
}

void TFontDialog::chooseColor()
{
    QColorDialog dialog(toQColor(d->colorValue), this);
    dialog.setWindowTitle(tr("Colour"));
    centreOnParent(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QColor c = dialog.selectedColor().toRgb();
    if (!c.isValid())
        return;
    d->colorValue = makeColor(c.red(), c.green(), c.blue());
    updateSample();
}

void TFontDialog::updateSample()
{
    const PictureFont f = pictureFont();
    d->sample->setFont(pictureQFont(f));
    QPalette pal = d->sample->palette();
    pal.setColor(QPalette::WindowText, toQColor(f.color));
    d->sample->setPalette(pal);
    QPixmap swatch(28, 12);
    swatch.fill(toQColor(f.color));
    d->color->setIcon(QIcon(swatch));
    d->color->setIconSize(swatch.size());
    d->color->setText(toQColor(f.color).name().toUpper());
    d->color->setAccessibleDescription(d->color->text());
}
