#pragma once

#include "focus/views/binding.h"

#include <QStringList>
#include <QWidget>
#include <functional>

class QVBoxLayout;

namespace tavrin {

class TButton;

// The editor of a routine's application list: one row per name (its icon,
// the name, a cross that removes every entry of that name), "Add apps…",
// which runs `add`, and a hint saying what the list does.
class AppListEditor : public QWidget {
    Q_OBJECT
public:
    AppListEditor(Binding<QStringList> apps, std::function<void()> add, const QString& hint, QWidget* parent = nullptr);

    // Shows the list as it is now.
    void refresh();
    // The names shown, in order.
    QStringList shown() const { return shown_; }
    // The cross of the row of `name` (the first such row).
    void removeApp(const QString& name);
    TButton* addButton() const { return add_; }

private:
    Binding<QStringList> apps_;
    QVBoxLayout* rows_;
    TButton* add_;
    QStringList shown_;
};

} // namespace tavrin
