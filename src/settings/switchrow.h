#pragma once

#include <QWidget>

namespace tavrin {

class KeyMsg;
class ThemedLabel;
class TSwitch;

// One setting with a switch: its name, an optional explanation under it
// that wraps, and the switch at the trailing edge.
class SwitchRow : public QWidget {
    Q_OBJECT
public:
    SwitchRow(const QString& title, const QString& detail, TSwitch* toggle, QWidget* parent = nullptr);

    TSwitch* toggle() const { return toggle_; }
    ThemedLabel* titleLabel() const { return title_; }
    ThemedLabel* detailLabel() const { return detail_; }

    // Dims the row and stops the switch taking clicks.
    void setActive(bool active);

private:
    ThemedLabel* title_;
    ThemedLabel* detail_ = nullptr;
    TSwitch* toggle_;
};

} // namespace tavrin
