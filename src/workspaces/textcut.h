#pragma once

#include <QString>

namespace tavrin {

// The first `count` characters of a text as a person counts them (an accented
// letter or an emoji with its modifiers is one), never splitting one, and at
// most 8 UTF-16 code units per character counted: a character built of more
// units than are left (a letter under thousands of combining marks) is cut
// at a code point, so no text outgrows its place however it is composed.
QString firstCharacters(const QString& text, int count);

// The text without control characters and without bidirectional embeddings,
// overrides and isolates, so that text from outside can neither hide nor
// reorder what is shown around it. Tabs and line breaks become spaces.
QString withoutControls(const QString& text);

// Text from outside as a message repeats it to a terminal or a caller: every
// control character and bidirectional embedding, override and isolate
// replaced by U+FFFD, so that none acts on what shows it, and at most
// `count` UTF-16 units (never half a character) followed by "…" when cut.
QString echoed(const QString& text, qsizetype count);

// Text from outside as it may be shown and stored: without control and
// direction characters, trimmed, at most `count` characters (as
// `firstCharacters` counts them).
QString shownText(const QString& text, int count);

} // namespace tavrin
