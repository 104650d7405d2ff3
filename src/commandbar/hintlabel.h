#pragma once

#include "design/designwidget.h"

#include <QFont>
#include <QImage>

namespace tavrin {

// A line of light text over whatever lies behind the window (the adjust
// overlay's hint): centred, white at 0.85, with a soft black shadow
// (opacity 0.5, radius 3, no offset) so that it reads over a light desktop
// too.
class HintLabel : public DesignWidget {
    Q_OBJECT
public:
    static constexpr qreal kShadowOpacity = 0.5;
    static constexpr qreal kShadowRadius = 3;
    // Room for the shadow around the text, points.
    static constexpr int kPadding = 6;

    HintLabel(const QString& text, const QFont& font, QWidget* parent = nullptr);

    QString text() const { return text_; }
    QSize sizeHint() const override;

    // The shadow as drawn around the text at this size: premultiplied black.
    QImage shadow() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void environmentChanged() override;

private:
    QRectF textRect() const;
    void drawText(QPainter& painter, const QColor& colour) const;

    QString text_;
    mutable QImage shadow_;
    mutable QSize shadowFor_;
    mutable bool shadowOpaque_ = false;
};

} // namespace tavrin
