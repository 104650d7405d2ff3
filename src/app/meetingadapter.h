#pragma once

#include "app/engine.h"
#include "app/meetingcontrol.h"

#include <QObject>

namespace tavrin {

class AppState;
class MeetingMode;

// Meeting mode as the shell starts, shows and switches it: started in its
// slot, and every call that begins or ends announced to the menu-bar window.
class MeetingAdapter : public QObject, public MeetingControl, public Engine {
    Q_OBJECT
public:
    MeetingAdapter(MeetingMode& mode, AppState& state, QObject* parent = nullptr);

    bool inCall() const override;
    void setEnabled(bool on) override;
    void start() override;

private:
    MeetingMode& mode_;
};

} // namespace tavrin
