#pragma once

#include <QWidget>

namespace tavrin {

class ThemedLabel;

// A form row: the label in 13-point `muted` in a column exactly 120 points
// wide (a longer label wraps), 12 points, then the content, which takes the
// rest of the width and has the 13-point system font as its default. The
// content of consecutive rows lines up, 132 points from the leading edge.
class FRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLabelWidth = 120;
    static constexpr int kSpacing = 12;

    FRow(const QString& label, QWidget* content, QWidget* parent = nullptr);

    QString label() const;
    QWidget* content() const { return content_; }

private:
    ThemedLabel* label_;
    QWidget* content_;
};

} // namespace tavrin
