#include "design/themedlabel.h"

#include "design/environment.h"

namespace tavrin {

ThemedLabel::ThemedLabel(const QString& text, TTheme::Colour colour, const QFont& font, QWidget* parent)
    : QLabel(parent),
      colour_(colour)
{
    setTextFormat(Qt::PlainText);
    setFont(font);
    setText(text);
    new EnvironmentWatcher(this, [this] { refresh(); });
    refresh();
}

void ThemedLabel::setColour(TTheme::Colour colour)
{
    colour_ = colour;
    refresh();
}

void ThemedLabel::refresh()
{
    const QColor wanted = Environment::theme(this).colour(colour_);
    if (palette().color(QPalette::WindowText) == wanted)
        return;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, wanted);
    p.setColor(QPalette::Text, wanted);
    setPalette(p);
}

void ThemedLabel::paintEvent(QPaintEvent* event)
{
    // A label moved into another theme along with its parent hears nothing
    // of it; catch up here (the palette change repaints once more).
    refresh();
    QLabel::paintEvent(event);
}

} // namespace tavrin
