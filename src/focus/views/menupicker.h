#pragma once

#include <QList>
#include <QVariant>
#include <QWidget>

class QMenu;

namespace tavrin {

class TButton;
class ThemedLabel;

// A labelled pop-up choice: the label, then a button showing the chosen
// item's title; the button opens a menu of the items with a check at the
// chosen one. The choice lives with the owner: picking an item reports its
// value (`chosen`) and the owner sets the selection. A selection that no
// item has shows an empty button.
class MenuPicker : public QWidget {
    Q_OBJECT
public:
    struct Item {
        QString title;
        QVariant value;
    };

    MenuPicker(const QString& label, QWidget* parent = nullptr);

    const QList<Item>& items() const { return items_; }
    void setItems(const QList<Item>& items);
    QVariant selection() const { return selection_; }
    void setSelection(const QVariant& value);
    // The index of the chosen item, or -1.
    int selectedIndex() const;
    // What picking item `index` in the menu does.
    void choose(int index);
    // The title the button shows.
    QString shownTitle() const;
    TButton* button() const { return button_; }
    // The menu as it opens now.
    QMenu* menu();

signals:
    void chosen(const QVariant& value);

private:
    void refresh();

    ThemedLabel* label_;
    TButton* button_;
    QList<Item> items_;
    QVariant selection_;
};

} // namespace tavrin
