#pragma once

#include <QString>

namespace tavrin {

// Stands in for the Settings window until it is part of the program: a
// small window naming the pane where the setting will live.
class SettingsPlaceholder {
public:
    static void show(const QString& pane);
};

} // namespace tavrin
