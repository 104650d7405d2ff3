#pragma once

#include <QWidget>

namespace tavrin {

class ThemedLabel;

// The editor of the Focus filter trigger: how to make the Focus filter name
// this routine (`tavrin intent focus-filter`, from whatever turns the
// user's Focus on and off). Linux desktops have no Focus settings to open.
class FocusFilterHelp : public QWidget {
    Q_OBJECT
public:
    explicit FocusFilterHelp(const QString& routineName, QWidget* parent = nullptr);

    void setRoutineName(const QString& name);
    ThemedLabel* steps() const { return steps_; }

private:
    ThemedLabel* steps_;
};

} // namespace tavrin
