#pragma once

#include "app/engine.h"
#include "app/sharesafecontrol.h"

#include <QObject>

namespace tavrin {

class AppState;
class ShareSafe;

// Share-safe as the shell starts, shows and drives it: its checks started in
// its slot, the two shortcuts handed on, and every change of covering
// announced to the menu-bar window.
class ShareSafeAdapter : public QObject, public ShareSafeControl, public Engine {
    Q_OBJECT
public:
    ShareSafeAdapter(ShareSafe& shareSafe, AppState& state, QObject* parent = nullptr);

    bool active() const override;
    QString notice() const override;
    void setEnabled(bool on) override;
    void toggleNow() override;
    void hideFrontApp() override;
    void start() override;

private:
    ShareSafe& shareSafe_;
};

} // namespace tavrin
