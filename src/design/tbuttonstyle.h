#pragma once

#include "design/ttheme.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QMarginsF>
#include <QRectF>

class QPainter;

namespace tavrin {

// The push-button look of every window: `normal` (a raised glass face with
// a hairline), `primary` (accent-filled, white label) and `ghost` (only a
// label until pressed). The pressed look switches at once; there is no hover
// or disabled look.
class TButtonStyle {
public:
    enum class Kind { normal, primary, ghost };

    static constexpr qreal kRadius = 8;
    static constexpr qreal kFontSize = 12.5;

    struct Look {
        QColor foreground;
        QColor fill;    // clear when nothing is drawn
        QColor outline; // clear when there is none
        QColor shadow;  // clear when there is none
        QMarginsF padding;
    };

    explicit TButtonStyle(Kind kind = Kind::normal) : kind_(kind) {}
    Kind kind() const { return kind_; }

    Look look(const TTheme& t, bool pressed) const;
    QFont font() const;
    // The button's size for a label: the label and the padding around it.
    QSizeF size(const QString& label, bool hasIcon) const;
    void paint(QPainter& painter, const QRectF& rect, const QString& label, const QIcon& icon, const TTheme& t,
               bool pressed) const;

    // A colour with each channel moved by `amount` (of the full scale),
    // clamped: how a pressed primary button is darkened (by 0.05).
    static QColor brightness(const QColor& colour, qreal amount);

private:
    Kind kind_;
};

} // namespace tavrin
