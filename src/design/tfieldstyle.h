#pragma once

#include "design/ttheme.h"

#include <QFont>
#include <QMarginsF>

namespace tavrin {

// The text-field look: 13-point text in `ink` (monospaced with `mono`),
// padded 10 points at the sides and 7 above and below, on `winBG` in a
// rounded rectangle of radius 8 with a `line` hairline. The two variants
// differ only in the font's design.
class TFieldStyle {
public:
    static constexpr qreal kRadius = 8;
    static constexpr qreal kFontSize = 13;
    static constexpr QMarginsF kPadding{10, 7, 10, 7};

    explicit TFieldStyle(bool mono = false) : mono_(mono) {}
    bool mono() const { return mono_; }

    QFont font() const;

    struct Look {
        QColor text;
        QColor background;
        QColor border;
        QColor placeholder;
    };
    static Look look(const TTheme& t);

private:
    bool mono_;
};

} // namespace tavrin
