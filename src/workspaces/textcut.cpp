#include "workspaces/textcut.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace tavrin {

QString firstCharacters(const QString& text, int count)
{
    if (count <= 0)
        return {};
    const qsizetype maxUnits = mostUnits(count);
    // Only the beginning is looked at, so a huge text costs no more than a
    // short one: a boundary at or before `maxUnits` depends on nothing
    // beyond the code point that follows it.
    const QString head = text.size() > maxUnits + 2 ? text.left(maxUnits + 2) : text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, head);
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

int characterCount(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype graphemes = 0;
    while (finder.toNextBoundary() > 0)
        ++graphemes;
    return int(std::max(graphemes, (text.size() + mostUnits(1) - 1) / mostUnits(1)));
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

QString shownText(const QString& text, int count)
{
    return firstCharacters(withoutControls(text).trimmed(), count).trimmed();
}

} // namespace tavrin
