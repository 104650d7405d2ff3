#pragma once

#include <QString>

namespace tavrin {

// The first `count` characters of a text as a person counts them (an accented
// letter or an emoji with its modifiers is one), never splitting one.
QString firstCharacters(const QString& text, int count);

} // namespace tavrin
