#pragma once

#include "design/themedlabel.h"

#include <QString>

class QVBoxLayout;
class QWidget;

namespace tavrin {

// The pieces every popover editor of the routine views is made of: a column
// at the leading edge inset by 12 points, of a fixed width, a semibold
// 12.5-point title, plain texts, and 11.5-point secondary hints that wrap.
class EditorParts {
public:
    static constexpr int kInset = 12;

    // Lays `editor` out as a column `width` points wide, inset included
    // (none when 0), its items `spacing` apart.
    static QVBoxLayout* column(QWidget* editor, int width, int spacing);
    static ThemedLabel* title(const QString& text);
    static ThemedLabel* text(const QString& text, qreal size = 12.5, TTheme::Colour colour = TTheme::Colour::ink);
    static ThemedLabel* hint(const QString& text);
};

} // namespace tavrin
