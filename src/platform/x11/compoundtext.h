#pragma once

#include <QByteArrayView>
#include <QString>

namespace tavrin {

// Text properties of type COMPOUND_TEXT (ISO 2022: ASCII and Latin-1 by
// default, other character sets designated by escape sequences), as older
// clients set their titles (xterm's WM_NAME): "notes — xterm" arrives as
// "notes ", the em dash in a UTF-8 segment between ESC % G and ESC % @,
// then " xterm".
namespace CompoundText {

// The text: ASCII, Latin-1 and UTF-8 segments decoded; what is in another
// character set, cannot be decoded, or is a control character other than
// tab and newline is dropped.
QString decode(QByteArrayView bytes);

} // namespace CompoundText

} // namespace tavrin
