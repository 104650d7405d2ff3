#include "design/thinscrollbar.h"

#include <QScrollBar>

namespace tavrin {

QString ThinScrollBar::styleSheet()
{
    return QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 0; }"
        "QScrollBar::handle:vertical { background: rgba(128, 128, 128, 110); border-radius: 3px; min-height: 24px;"
        " margin: 0 1px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }");
}

void ThinScrollBar::apply(QScrollBar* bar) { bar->setStyleSheet(styleSheet()); }

} // namespace tavrin
