#pragma once

#include "design/designwidget.h"

namespace tavrin {

// The warning mark beside a key another program holds, in the danger
// colour, saying why in its tooltip.
class TakenMark : public DesignWidget {
    Q_OBJECT
public:
    explicit TakenMark(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavrin
