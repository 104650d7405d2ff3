#include "settings/messageline.h"

namespace tavrin {

MessageLine::MessageLine(QWidget* parent) : KeyMsg(QString(), Tone::plain, parent) { setVisible(false); }

void MessageLine::say(const QString& text, Tone tone)
{
    setTone(tone);
    setText(text);
    setVisible(!text.isEmpty());
}

void MessageLine::clear() { say(QString(), Tone::plain); }

} // namespace tavrin
