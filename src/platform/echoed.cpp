#include "platform/echoed.h"

#include <algorithm>

namespace tavrin {

QString echoed(const QString& text, qsizetype count)
{
    qsizetype n = std::min(text.size(), std::max<qsizetype>(count, 0));
    if (n < text.size() && n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    QString out = text.left(n);
    for (QChar& c : out)
        if (c.category() == QChar::Other_Control || isDirectionalFormat(c.unicode()))
            c = QChar::ReplacementCharacter;
    return n < text.size() ? out + QChar(0x2026) : out;
}

} // namespace tavrin
