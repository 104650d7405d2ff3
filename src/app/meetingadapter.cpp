#include "app/meetingadapter.h"

#include "app/appstate.h"
#include "modes/meetingmode.h"

namespace tavrin {

MeetingAdapter::MeetingAdapter(MeetingMode& mode, AppState& state, QObject* parent) : QObject(parent), mode_(mode)
{
    connect(&mode_, &MeetingMode::inCallChanged, &state, &AppState::announceEngineChange);
}

bool MeetingAdapter::inCall() const { return mode_.inCall(); }

void MeetingAdapter::setEnabled(bool on) { mode_.setEnabled(on); }

void MeetingAdapter::start() { mode_.start(); }

} // namespace tavrin
