#pragma once

#include <QColor>
#include <QWidget>

namespace tavrin {

// What the outline panel shows: a rounded blue frame, 2 points wide, over a
// faint wash of the same blue. The same in both colour schemes.
class OutlineView : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kRadius = 10;
    static constexpr qreal kBorderWidth = 2;
    static QColor colour() { return QColor(59, 155, 255); }

    explicit OutlineView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavrin
