#pragma once

#include "platform/echoed.h"

#include <QString>

namespace tavrin {

// The first `count` characters of a text as a person counts them (an accented
// letter or an emoji with its modifiers is one), never splitting one, and at
// most 8 UTF-16 code units per character counted: a character built of more
// units than are left (a letter under thousands of combining marks) is cut
// at a code point, so no text outgrows its place however it is composed.
QString firstCharacters(const QString& text, int count);
// How many characters a text holds, as `firstCharacters` counts them: the
// least count for which it keeps the whole text.
int characterCount(const QString& text);
// The most UTF-16 code units `firstCharacters` keeps of a text.
constexpr qsizetype mostUnits(int count) { return qsizetype(count) * 8; }

// The text without control characters and without bidirectional embeddings,
// overrides and isolates, so that text from outside can neither hide nor
// reorder what is shown around it. Tabs and line breaks become spaces.
QString withoutControls(const QString& text);

// Text from outside as a message repeats it: echoed() (platform/echoed.h).

// Text from outside as it may be shown and stored: without control and
// direction characters, trimmed, at most `count` characters (as
// `firstCharacters` counts them).
QString shownText(const QString& text, int count);

} // namespace tavrin
