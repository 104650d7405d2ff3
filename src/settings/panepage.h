#pragma once

#include <QWidget>

class QVBoxLayout;

namespace tavrin {

class PaneHeader;
class TCard;

// The body of one Settings pane: its header, then its cards 14 points apart,
// top-aligned in a column as wide as the window gives it. The window scrolls
// it when it is taller than the window.
class PanePage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCardSpacing = 14;
    static constexpr int kMargin = 24;

    PanePage(const QString& title, const QString& sub, QWidget* parent = nullptr);

    PaneHeader* header() const { return header_; }
    // A new, empty card with the usual padding, added below the others.
    TCard* addCard();
    // Any other block, below the others, as wide as the column.
    void addBlock(QWidget* block);

private:
    QVBoxLayout* column_;
    PaneHeader* header_;
};

} // namespace tavrin
