#pragma once

#include "design/designwidget.h"

#include <QPointer>

namespace tavrin {

class Timer;

// A small indeterminate progress indicator: twelve ticks turning once a
// second, drawn in `muted`, on frames of the platform clock while shown.
class Spinner : public DesignWidget {
    Q_OBJECT
public:
    static constexpr int kSize = 16;

    explicit Spinner(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {kSize, kSize}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<Timer> frames_;
};

} // namespace tavrin
