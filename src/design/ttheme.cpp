#include "design/ttheme.h"

namespace tavrin {

namespace {

QColor srgb(int r, int g, int b, qreal opacity = 1.0)
{
    QColor c(r, g, b);
    c.setAlphaF(float(opacity));
    return c;
}

QColor white(qreal opacity) { return srgb(255, 255, 255, opacity); }
QColor black(qreal opacity) { return srgb(0, 0, 0, opacity); }

} // namespace

// Function-local statics: made once, on first use, safely even if first use
// were to race.
const TTheme& TTheme::light()
{
    static const TTheme theme{
        .ink = srgb(21, 23, 28),
        .muted = srgb(95, 101, 113),
        .line = srgb(21, 23, 28, 0.1),
        .accent = srgb(10, 124, 255),
        .fill = srgb(21, 23, 28, 0.05),
        .fillHover = srgb(21, 23, 28, 0.08),
        .glassStrong = srgb(250, 251, 252, 0.88),
        .winBG = white(1),
        .winTB = srgb(243, 244, 246),
        .winLine = black(0.1),
        .skel = srgb(21, 23, 28, 0.13),
        .good = srgb(31, 157, 85),
        .winSide = srgb(241, 242, 244),
        .danger = srgb(229, 72, 77),
    };
    return theme;
}

const TTheme& TTheme::dark()
{
    static const TTheme theme{
        .ink = srgb(238, 240, 244),
        .muted = srgb(154, 161, 173),
        .line = white(0.09),
        .accent = srgb(59, 155, 255),
        .fill = white(0.06),
        .fillHover = white(0.1),
        .glassStrong = srgb(38, 40, 47, 0.88),
        .winBG = srgb(29, 31, 36),
        .winTB = srgb(38, 40, 46),
        .winLine = white(0.08),
        .skel = white(0.16),
        .good = srgb(63, 207, 127),
        .winSide = srgb(35, 37, 43),
        .danger = srgb(229, 72, 77),
    };
    return theme;
}

const TTheme& TTheme::forScheme(ColorScheme scheme) { return scheme == ColorScheme::dark ? dark() : light(); }

const QColor& TTheme::colour(Colour which) const
{
    switch (which) {
    case Colour::ink: return ink;
    case Colour::muted: return muted;
    case Colour::line: return line;
    case Colour::accent: return accent;
    case Colour::fill: return fill;
    case Colour::fillHover: return fillHover;
    case Colour::glassStrong: return glassStrong;
    case Colour::winBG: return winBG;
    case Colour::winTB: return winTB;
    case Colour::winLine: return winLine;
    case Colour::skel: return skel;
    case Colour::good: return good;
    case Colour::winSide: return winSide;
    case Colour::danger: return danger;
    }
    return ink;
}

} // namespace tavrin
