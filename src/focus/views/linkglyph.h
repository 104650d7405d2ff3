#pragma once

#include <QWidget>

namespace tavrin {

// The sign of a link: two chain links at an angle, in the theme's `muted`
// colour, drawn `size` points tall.
class LinkGlyph : public QWidget {
    Q_OBJECT
public:
    explicit LinkGlyph(qreal size, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal size_;
};

} // namespace tavrin
