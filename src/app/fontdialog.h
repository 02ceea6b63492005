#pragma once

#include "picture.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tavelorn {

// The font dialog of the information lines: face, character height in pixels, style,
// colour and character set of a picture text, the units the picture works in.
class PictureFontDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PictureFontDialog(QWidget* parent = nullptr);

    void setPictureFont(const PictureFont& font);
    PictureFont pictureFont() const;

private:
    void updateSample();
    void chooseColor();

    QFontComboBox* m_face;
    QSpinBox* m_height;
    QCheckBox* m_bold;
    QCheckBox* m_italic;
    QCheckBox* m_underline;
    QCheckBox* m_strikeOut;
    QPushButton* m_colorButton;
    QComboBox* m_charset;
    QLabel* m_sample;
    Color m_color = kColorWindowText;
    QString m_faceName; // kept as given when the face is not installed
};

} // namespace tavelorn
