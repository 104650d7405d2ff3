#include "design/keymsg.h"

#include "design/designfont.h"

namespace tavrin {

KeyMsg::KeyMsg(const QString& text, Tone tone, QWidget* parent)
    : ThemedLabel(text, colour(tone), DesignFont::system(kFontSize, weight(tone)), parent),
      tone_(tone)
{
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // As wide as it is offered, as high as its lines.
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void KeyMsg::setTone(Tone tone)
{
    tone_ = tone;
    setFont(DesignFont::system(kFontSize, weight(tone)));
    setColour(colour(tone));
}

QFont::Weight KeyMsg::weight(Tone tone)
{
    switch (tone) {
    case Tone::plain: return QFont::Normal;
    case Tone::ok: return QFont::DemiBold;
    case Tone::err: return QFont::Medium;
    }
    return QFont::Normal;
}

TTheme::Colour KeyMsg::colour(Tone tone)
{
    switch (tone) {
    case Tone::plain: return TTheme::Colour::muted;
    case Tone::ok: return TTheme::Colour::good;
    case Tone::err: return TTheme::Colour::danger;
    }
    return TTheme::Colour::muted;
}

} // namespace tavrin
