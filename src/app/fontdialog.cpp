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

namespace tavelorn {

namespace {

// The Windows character sets a stored font may name; the face decides what they mean
// here, the value is kept so that a chosen font round-trips.
const struct
{
    int value;
    const char* name;
} kCharsets[] = {
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

PictureFontDialog::PictureFontDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Font"));
    m_face = new QFontComboBox(this);
    m_height = new QSpinBox(this);
    m_height->setRange(1, 200);
    m_height->setSuffix(tr(" px"));
    m_bold = new QCheckBox(tr("&Bold"), this);
    m_italic = new QCheckBox(tr("&Italic"), this);
    m_underline = new QCheckBox(tr("&Underline"), this);
    m_strikeOut = new QCheckBox(tr("&Strikeout"), this);
    m_colorButton = new QPushButton(this);
    m_colorButton->setObjectName(QStringLiteral("color"));
    m_charset = new QComboBox(this);
    for (const auto& c : kCharsets)
        m_charset->addItem(tr(c.name), c.value);
    m_sample = new QLabel(tr("AaBbYyZz"), this);
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumSize(260, 60);
    m_sample->setFrameShape(QFrame::StyledPanel);
    m_sample->setAutoFillBackground(true);
    QPalette pal = m_sample->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_sample->setPalette(pal);

    auto* styles = new QHBoxLayout;
    for (QCheckBox* b : {m_bold, m_italic, m_underline, m_strikeOut})
        styles->addWidget(b);
    auto* form = new QFormLayout;
    form->addRow(tr("&Face:"), m_face);
    form->addRow(tr("&Height:"), m_height);
    form->addRow(tr("Style:"), styles);
    form->addRow(tr("&Colour:"), m_colorButton);
    form->addRow(tr("Character &set:"), m_charset);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_sample);
    layout->addWidget(buttons);

    // Named for what they set: the colour button shows its value, the face list's
    // edit nothing of its own.
    installComboBoxAccessibility();
    m_face->setAccessibleName(tr("Face"));
    m_face->lineEdit()->setAccessibleName(tr("Face"));
    m_height->setAccessibleName(tr("Height"));
    m_colorButton->setAccessibleName(tr("Colour"));
    m_charset->setAccessibleName(tr("Character set"));

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_colorButton, &QPushButton::clicked, this, &PictureFontDialog::chooseColor);
    connect(m_face, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        m_faceName = f.family();
        updateSample();
    });
    connect(m_height, &QSpinBox::valueChanged, this, &PictureFontDialog::updateSample);
    for (QCheckBox* b : {m_bold, m_italic, m_underline, m_strikeOut})
        connect(b, &QCheckBox::toggled, this, &PictureFontDialog::updateSample);
    setPictureFont(PictureFont{});
}

void PictureFontDialog::setPictureFont(const PictureFont& font)
{
    {
        const QSignalBlocker block(m_face);
        m_face->setCurrentFont(pictureQFont(font));
    }
    m_faceName = font.name;
    m_height->setValue(font.height);
    m_bold->setChecked(font.bold);
    m_italic->setChecked(font.italic);
    m_underline->setChecked(font.underline);
    m_strikeOut->setChecked(font.strikeOut);
    m_color = font.color;
    int idx = m_charset->findData(font.charset);
    if (idx < 0) {
        m_charset->addItem(QString::number(font.charset), font.charset);
        idx = m_charset->count() - 1;
    }
    m_charset->setCurrentIndex(idx);
    updateSample();
}

PictureFont PictureFontDialog::pictureFont() const
{
    PictureFont f;
    f.name = m_faceName;
    f.height = m_height->value();
    f.bold = m_bold->isChecked();
    f.italic = m_italic->isChecked();
    f.underline = m_underline->isChecked();
    f.strikeOut = m_strikeOut->isChecked();
    f.color = m_color;
    f.charset = m_charset->currentData().toInt();
    return f;
}

void PictureFontDialog::chooseColor()
{
    QColorDialog dialog(toQColor(m_color), this);
    dialog.setWindowTitle(tr("Colour"));
    centreOnParent(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QColor c = dialog.selectedColor().toRgb();
    if (!c.isValid())
        return;
    m_color = makeColor(c.red(), c.green(), c.blue());
    updateSample();
}

void PictureFontDialog::updateSample()
{
    const PictureFont f = pictureFont();
    m_sample->setFont(pictureQFont(f));
    QPalette pal = m_sample->palette();
    pal.setColor(QPalette::WindowText, toQColor(f.color));
    m_sample->setPalette(pal);
    QPixmap swatch(28, 12);
    swatch.fill(toQColor(f.color));
    m_colorButton->setIcon(QIcon(swatch));
    m_colorButton->setIconSize(swatch.size());
    m_colorButton->setText(toQColor(f.color).name().toUpper());
    m_colorButton->setAccessibleDescription(m_colorButton->text());
}

} // namespace tavelorn
