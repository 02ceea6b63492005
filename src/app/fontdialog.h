#pragma once

#include "picture.h"

#include <QDialog>

#include <memory>

// The font dialog of the information lines: face, character height in pixels, style,
// colour and character set of a picture text, the units the picture works in.
class TFontDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TFontDialog(QWidget* parent = nullptr);
    ~TFontDialog() override;

    void setPictureFont(const tavelorn::PictureFont& font);
    tavelorn::PictureFont pictureFont() const;

private:
    void updateSample();
    void chooseColor();

    struct Private;
    std::unique_ptr<Private> const d;
};
