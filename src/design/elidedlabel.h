#pragma once

#include "design/designwidget.h"

#include <QFont>

namespace tavrin {

// One line of text in a theme colour (or a fixed one), shown verbatim and
// cut with an ellipsis when it is given less room than it needs.
class ElidedLabel : public DesignWidget {
    Q_OBJECT
public:
    ElidedLabel(const QString& text, TTheme::Colour colour, const QFont& font, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    void setColour(TTheme::Colour colour);
    // Text smaller than this fraction of its size is cut instead.
    void setMinimumScale(qreal scale);

    // The text as drawn at the current width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont fittedFont() const;

    QString text_;
    TTheme::Colour colour_;
    QFont font_;
    qreal minimumScale_ = 1;
};

} // namespace tavrin
