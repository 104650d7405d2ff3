#include "workspaces/textcut.h"

#include <QTextBoundaryFinder>

namespace tavrin {

namespace {
constexpr qsizetype kUnitsPerCharacter = 8;

bool isDirectionalFormat(char16_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }
} // namespace

QString firstCharacters(const QString& text, int count)
{
    if (count <= 0)
        return {};
    const qsizetype maxUnits = qsizetype(count) * kUnitsPerCharacter;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            break;
        if (next > maxUnits) {
            if (end == 0) {
                // One character alone is too long: keep whole code points of it.
                end = maxUnits;
                if (text.at(end - 1).isHighSurrogate())
                    --end;
            }
            break;
        }
        end = next;
    }
    return end == text.size() ? text : text.left(end);
}

QString withoutControls(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t' || u == u'\n' || u == u'\r' || u == 0x2028 || u == 0x2029)
            out.append(u' ');
        else if (c.category() != QChar::Other_Control && !isDirectionalFormat(u))
            out.append(c);
    }
    return out;
}

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

QString shownText(const QString& text, int count)
{
    return firstCharacters(withoutControls(text).trimmed(), count).trimmed();
}

} // namespace tavrin
