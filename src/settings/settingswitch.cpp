#include "settings/settingswitch.h"

#include "platform/defaults.h"
#include "platform/platform.h"

namespace tavrin {

SettingSwitch::SettingSwitch(Binding binding, QWidget* parent)
    : TSwitch(QString(), false, parent),
      binding_(std::move(binding))
{
    refresh();
    connect(this, &QAbstractButton::clicked, this, [this](bool on) {
        if (binding_.write)
            binding_.write(on);
        refresh();
    });
    if (Defaults* defaults = Platform::current().defaults)
        connect(defaults, &Defaults::changed, this, [this](const QString& key) {
            if (binding_.keys.contains(key))
                refresh();
        });
}

SettingSwitch::Binding SettingSwitch::key(const QString& key, bool fallback)
{
    return {[key, fallback] {
                const Defaults* defaults = Platform::current().defaults;
                return defaults ? defaults->boolValue(key, fallback) : fallback;
            },
            [key](bool on) {
                if (Defaults* defaults = Platform::current().defaults)
                    defaults->setValue(key, on);
            },
            {key}};
}

void SettingSwitch::refresh()
{
    if (binding_.read)
        setChecked(binding_.read());
}

} // namespace tavrin
