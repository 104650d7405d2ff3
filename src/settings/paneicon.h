#pragma once

#include "app/settingspane.h"
#include "design/designwidget.h"

class QPainter;

namespace tavrin {

// The sidebar's small line drawing of a pane, 16 by 16 points, in the
// colour it is given (the theme's `muted` unless told otherwise).
class PaneIcon : public DesignWidget {
    Q_OBJECT
public:
    static constexpr int kSize = 16;
    static constexpr qreal kStroke = 1.3;

    explicit PaneIcon(SettingsPane pane, QWidget* parent = nullptr);

    SettingsPane pane() const { return pane_; }
    void setColour(const QColor& colour);

    QSize sizeHint() const override { return {kSize, kSize}; }

    // The drawing in a 16-point square at `origin`.
    static void paint(QPainter& painter, const QPointF& origin, SettingsPane pane, const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SettingsPane pane_;
    QColor colour_;
};

} // namespace tavrin
