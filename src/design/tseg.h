#pragma once

#include "design/designwidget.h"

#include <QVariant>

class QPainter;

namespace tavrin {

// A segmented control that picks one of a few values. The selection lives
// with the caller: a click on a segment writes its value (`activated`, also
// for the segment already selected) and, when it differs, changes the
// selection (`selectionChanged`). A selection that no option has highlights
// nothing. Segments are as wide as their labels plus padding.
class TSeg : public DesignWidget {
    Q_OBJECT
    Q_PROPERTY(QVariant selection READ selection WRITE setSelection NOTIFY selectionChanged)
public:
    struct Option {
        QVariant value;
        QString label;
    };

    static constexpr qreal kPadding = 2; // around the row
    static constexpr qreal kRadius = 9;  // of the track
    static constexpr qreal kSegmentRadius = 7;
    static constexpr qreal kSegmentPadX = 14;
    static constexpr qreal kSegmentPadY = 6;
    static constexpr qreal kFontSize = 13;

    TSeg(const QList<Option>& options, const QVariant& selection, QWidget* parent = nullptr);

    QList<Option> options() const { return options_; }
    QVariant selection() const { return selection_; }
    void setSelection(const QVariant& selection);
    // The index of the selected option, or -1.
    int selectedIndex() const;
    // What a click on segment `index` does: writes its value (`activated`)
    // and selects it.
    void choose(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Each segment's width: its label's width and the padding.
    static QList<qreal> segmentWidths(const QStringList& labels);
    // The segments' rectangles in a control of this size.
    static QList<QRectF> segmentRects(const QStringList& labels, const QSizeF& size);
    static QFont font();

signals:
    void selectionChanged(const QVariant& selection);
    void activated(const QVariant& value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QStringList labels() const;
    int segmentAt(const QPointF& pos) const;

    QList<Option> options_;
    QVariant selection_;
    int pressed_ = -1;
};

} // namespace tavrin
