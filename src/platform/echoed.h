#pragma once

#include <QString>

namespace tavrin {

// Text from outside (a caller on the bus, a file name, a server's answer) as
// a message repeats it to a terminal or a caller: every control character
// and bidirectional embedding, override and isolate replaced by U+FFFD, so
// that none acts on what shows it, and at most `count` UTF-16 units (never
// half a character) followed by "…" when cut. The one filter for all such
// text.
QString echoed(const QString& text, qsizetype count);

// A bidirectional embedding, override or isolate (U+202A–U+202E,
// U+2066–U+2069).
constexpr bool isDirectionalFormat(char16_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

} // namespace tavrin
