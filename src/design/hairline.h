#pragma once

#include "design/designwidget.h"

namespace tavrin {

// A 0.5-point line in the theme's `line` colour, across (horizontal) or
// down (vertical) the room it is given.
class Hairline : public DesignWidget {
    Q_OBJECT
public:
    explicit Hairline(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation orientation_;
};

} // namespace tavrin
