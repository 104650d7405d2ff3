#include "app/sharesafeadapter.h"

#include "app/appstate.h"
#include "modes/sharesafe.h"

namespace tavrin {

ShareSafeAdapter::ShareSafeAdapter(ShareSafe& shareSafe, AppState& state, QObject* parent)
    : QObject(parent),
      shareSafe_(shareSafe)
{
    connect(&shareSafe_, &ShareSafe::activeChanged, &state, &AppState::announceEngineChange);
    connect(&shareSafe_, &ShareSafe::noticeChanged, &state, &AppState::announceEngineChange);
}

bool ShareSafeAdapter::active() const { return shareSafe_.active(); }

QString ShareSafeAdapter::notice() const { return shareSafe_.notice(); }

void ShareSafeAdapter::setEnabled(bool on) { shareSafe_.setEnabled(on); }

void ShareSafeAdapter::toggleNow() { shareSafe_.toggleNow(); }

void ShareSafeAdapter::hideFrontApp() { shareSafe_.hideFrontApp(); }

void ShareSafeAdapter::start() { shareSafe_.startDetecting(); }

} // namespace tavrin
