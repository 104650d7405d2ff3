#pragma once

#include <QStringList>

class QWidget;

namespace tavrin {

// What a widget says: every text it and the widgets inside it draw (each run
// of one font as painted, custom-painted text included), then their window
// titles, tooltips and accessible names and descriptions.
class DrawnText {
public:
    static QStringList of(QWidget& widget);
};

} // namespace tavrin
