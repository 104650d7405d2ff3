#include "workspaces/textcut.h"

#include <QTextBoundaryFinder>

namespace tavrin {

QString firstCharacters(const QString& text, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (int i = 0; i < count; ++i)
        if (finder.toNextBoundary() < 0)
            return text;
    return text.left(finder.position());
}

} // namespace tavrin
