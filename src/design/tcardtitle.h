#pragma once

#include <QWidget>

namespace tavrin {

class ThemedLabel;

// A card's heading: the caller's icon view, 8 points, then the title in
// 14-point semibold `ink`.
class TCardTitle : public QWidget {
    Q_OBJECT
public:
    TCardTitle(const QString& text, QWidget* icon = nullptr, QWidget* parent = nullptr);

    QString text() const;
    QWidget* icon() const { return icon_; }

private:
    QWidget* icon_;
    ThemedLabel* label_;
};

} // namespace tavrin
