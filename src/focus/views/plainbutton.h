#pragma once

#include "design/ttheme.h"

#include <QAbstractButton>

namespace tavrin {

// A button that is only its text, in one colour of the theme: the text of a
// chip that opens its editor, a link in a line of text, a menu's label.
// Pressed, the text dims.
class PlainButton : public QAbstractButton {
    Q_OBJECT
public:
    PlainButton(const QString& text, TTheme::Colour colour, const QFont& font, QWidget* parent = nullptr);

    TTheme::Colour colour() const { return colour_; }
    // A fixed width (none when 0): the text is centred in it.
    void setFixedTextWidth(int width);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TTheme::Colour colour_;
    int width_ = 0;
};

} // namespace tavrin
