#pragma once

#include "app/settingspane.h"

#include <QObject>

namespace tavrin {

// Which pane the Settings window shows: the one shared selection that every
// route into the window sets and the window follows. Main thread only.
class SettingsRouter : public QObject {
    Q_OBJECT
    Q_PROPERTY(tavrin::SettingsPane pane READ pane WRITE setPane NOTIFY paneChanged)
public:
    // The program uses the shared one; tests make their own.
    using QObject::QObject;
    static SettingsRouter& shared();

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
