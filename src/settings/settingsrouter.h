#pragma once

#include "app/settingspane.h"

#include <QObject>

namespace tavrin {

// Which pane the Settings window shows: the one selection that every route
// into the window sets and the window follows. Main thread only.
class SettingsRouter : public QObject {
    Q_OBJECT
    Q_PROPERTY(tavrin::SettingsPane pane READ pane WRITE setPane NOTIFY paneChanged)
public:
    using QObject::QObject;

    // `general` until a pane is chosen.
    SettingsPane pane() const { return pane_; }
    // Selects a pane; announced only when it changes.
    void setPane(SettingsPane pane);

signals:
    void paneChanged(tavrin::SettingsPane pane);

private:
    SettingsPane pane_ = SettingsPane::general;
};

} // namespace tavrin
