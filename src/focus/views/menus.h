#pragma once

#include <QMenu>

namespace tavrin {

// A menu drawn in the colours of the theme around `owner`.
class Menus {
public:
    static QMenu* make(QWidget* owner);
    // Shows `menu` below `under`, at its leading edge.
    static void popUnder(QMenu* menu, QWidget* under);
};

} // namespace tavrin
