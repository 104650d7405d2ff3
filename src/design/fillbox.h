#pragma once

#include "design/designwidget.h"

namespace tavrin {

// A rounded box in the theme's `fill` colour behind its children (note boxes,
// the AI setup card, a row of chips).
class FillBox : public DesignWidget {
    Q_OBJECT
public:
    using DesignWidget::DesignWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavrin
