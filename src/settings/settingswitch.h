#pragma once

#include "design/tswitch.h"

#include <QStringList>
#include <functional>

namespace tavrin {

// A switch bound to a setting: it shows what `read` answers, calls `write`
// when the user flips it, and reads again whenever one of `keys` changes in
// the defaults (another window may flip the same setting).
class SettingSwitch : public TSwitch {
    Q_OBJECT
public:
    struct Binding {
        std::function<bool()> read;
        std::function<void(bool on)> write;
        QStringList keys; // the defaults keys `read` depends on
    };

    explicit SettingSwitch(Binding binding, QWidget* parent = nullptr);

    // A switch stored under `key` in the defaults: `fallback` when missing.
    static Binding key(const QString& key, bool fallback);

    // Shows the setting's value now.
    void refresh();

private:
    Binding binding_;
};

} // namespace tavrin
