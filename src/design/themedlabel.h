#pragma once

#include "design/ttheme.h"

#include <QLabel>

namespace tavrin {

// A text shown verbatim (never as markup) in one colour of the theme, which
// it follows when the theme changes.
class ThemedLabel : public QLabel {
    Q_OBJECT
public:
    ThemedLabel(const QString& text, TTheme::Colour colour, const QFont& font, QWidget* parent = nullptr);

    TTheme::Colour colour() const { return colour_; }
    void setColour(TTheme::Colour colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    TTheme::Colour colour_;
};

} // namespace tavrin
