#pragma once

#include <QString>

class QScrollBar;

namespace tavrin {

// The design's scroll indicator: a thin translucent bar without arrows or a
// track, which reads on either colour scheme without following it.
class ThinScrollBar {
public:
    // Gives a vertical scroll bar the indicator's look. Its own style sheet
    // wins over the sheets of the widgets around it.
    static void apply(QScrollBar* bar);
    static QString styleSheet();
};

} // namespace tavrin
