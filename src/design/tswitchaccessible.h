#pragma once

#include <QAccessibleWidget>

class QAbstractButton;

namespace tavrin {

// What assistive technology reads of a `TSwitch`: a toggle whose value is
// "On" or "Off", with its label as its name; its one action flips it.
class TSwitchAccessible : public QAccessibleWidget {
public:
    explicit TSwitchAccessible(QWidget* widget);

    // Makes every `TSwitch` answer with this interface (once per process).
    static void install();

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QAbstractButton* button() const;
};

} // namespace tavrin
