#include "design/designfont.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace tavrin {

void DesignFont::setSize(QFont& font, qreal size)
{
    if (!(size > 0))
        size = 1;
    if (std::abs(size - std::round(size)) < 1e-6) {
        font.setPixelSize(int(std::round(size)));
        return;
    }
    // Whole pixel sizes only: a fractional size goes through points at the
    // logical resolution fonts are laid out at.
    qreal dpi = 96;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInchY();
    font.setPointSizeF(size * 72.0 / dpi);
}

QFont DesignFont::system(qreal size, QFont::Weight weight)
{
    QFont font = QGuiApplication::font();
    setSize(font, size);
    font.setWeight(weight);
    font.setItalic(false);
    return font;
}

QFont DesignFont::monospaced(qreal size, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    setSize(font, size);
    font.setWeight(weight);
    return font;
}

} // namespace tavrin
