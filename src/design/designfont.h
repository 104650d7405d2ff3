#pragma once

#include <QFont>

namespace tavrin {

// Fonts of the design system, sized in points of the layout
// (device-independent pixels), so a size means the same at every scale.
class DesignFont {
public:
    static QFont system(qreal size, QFont::Weight weight = QFont::Normal);
    static QFont monospaced(qreal size, QFont::Weight weight = QFont::Normal);

    // Sets a font's size in device-independent pixels, also for sizes that are
    // not whole numbers (12.5).
    static void setSize(QFont& font, qreal size);
};

} // namespace tavrin
