#pragma once

#include <QWidget>

namespace tavrin {

class ThemedLabel;
class WrapLayout;

// A labelled row of wrapping items: the label (12.5-point semibold, `muted`)
// in a 38-point column, 6 points, then the items in a `WrapLayout` with
// 6 points between them. The label lines up with the text of the first
// line of chips.
class FlowRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLabelWidth = 38;
    static constexpr int kSpacing = 6;
    static constexpr qreal kFontSize = 12.5;

    explicit FlowRow(const QString& label, QWidget* parent = nullptr);

    ThemedLabel* label() const { return label_; }
    // The label's column: at least 38 points, and as wide as the label's
    // text; rows shown together pass the widest of theirs to line up.
    int labelWidth() const;
    void setLabelWidth(int width);
    // Where the owner puts the items, in order.
    WrapLayout* items() const { return items_; }
    QWidget* content() const { return content_; }

private:
    ThemedLabel* label_;
    QWidget* content_;
    WrapLayout* items_;
};

} // namespace tavrin
