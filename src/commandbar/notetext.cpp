#include "commandbar/notetext.h"

#include "design/designfont.h"
#include "design/environment.h"

namespace tavrin {

NoteText::NoteText(const QString& label, const QString& text, bool alert, int width, QWidget* parent)
    : QLabel(parent),
      label_(label),
      text_(text),
      alert_(alert)
{
    setTextFormat(Qt::RichText);
    setWordWrap(true);
    setFont(DesignFont::system(12));
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFixedWidth(std::max(width, 10));
    new EnvironmentWatcher(this, [this] { refresh(); });
    refresh();
}

QColor NoteText::orange(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
}

void NoteText::refresh()
{
    const TTheme t = Environment::theme(this);
    const QColor labelColour = alert_ ? orange(Environment::colorScheme(this)) : t.ink;
    setText(QStringLiteral("<div style=\"line-height:120%\"><span style=\"font-weight:600; color:%1\">%2</span> "
                           "<span style=\"color:%3\">%4</span></div>")
                .arg(labelColour.name(QColor::HexRgb), label_.toHtmlEscaped(), t.muted.name(QColor::HexRgb),
                     text_.toHtmlEscaped()));
    setFixedHeight(heightForWidth(width()));
}

} // namespace tavrin
