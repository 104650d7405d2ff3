#pragma once

#include "design/environment.h"
#include "design/tbuttonstyle.h"

#include <QAbstractButton>

namespace tavrin {

// A push button drawn in `TButtonStyle`. The whole rounded face takes
// clicks, not only the label.
class TButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TButton(const QString& text, TButtonStyle::Kind kind = TButtonStyle::Kind::normal,
                     QWidget* parent = nullptr);

    TButtonStyle::Kind kind() const { return style_.kind(); }
    void setKind(TButtonStyle::Kind kind);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    TButtonStyle style_;
};

} // namespace tavrin
