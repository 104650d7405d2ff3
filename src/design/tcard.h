#pragma once

#include "design/designwidget.h"

#include <QMargins>

class QVBoxLayout;

namespace tavrin {

// The rounded panel that groups a section: its items stacked 12 points
// apart at the leading edge, inside `padding`, on `fill` with a `line`
// hairline (radius 12). It takes the full width it is offered; its height
// follows the content. Content that overflows is not cut.
class TCard : public DesignWidget {
    Q_OBJECT
public:
    static constexpr qreal kRadius = 12;
    static constexpr int kSpacing = 12;
    // What the settings panes pass: 14 above and below, 16 at the sides.
    static constexpr QMargins kUsualPadding{16, 14, 16, 14};

    explicit TCard(const QMargins& padding = kUsualPadding, QWidget* parent = nullptr);

    QMargins padding() const;

    // Adds an item below the others. An item that wants to grow sideways
    // (an expanding width) is stretched; others keep their width at the
    // leading edge.
    void addWidget(QWidget* item);
    void addLayout(QLayout* layout);
    QVBoxLayout* contentLayout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* layout_;
};

} // namespace tavrin
