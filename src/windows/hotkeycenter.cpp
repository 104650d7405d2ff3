#include "windows/hotkeycenter.h"

#include "platform/clock.h"
#include "platform/hotkeys.h"
#include "platform/platform.h"
#include "platform/workspace.h"

#include <algorithm>

namespace tavrin {

HotKeyCenter::~HotKeyCenter()
{
    taken_.clear();
    updateRetry();
}

QString HotKeyCenter::refusalLine(const KeyCombo& combo, int status)
{
    // The refusal is said in words: the status is the backend's code.
    if (status == HotKeys::kStatusKeyInUse)
        return QStringLiteral("Tavrin: couldn't register hot key %1; another app may be using it.").arg(combo.text());
    return QStringLiteral("Tavrin: couldn't register hot key %1; this keyboard has no such key.").arg(combo.text());
}

void HotKeyCenter::useCurrentService()
{
    HotKeys* current = Platform::current().hotKeys;
    if (hotKeys_ == current)
        return;
    // The one handler for every press, installed on first use; keys of a
    // service that is gone are forgotten.
    handlers_.clear();
    taken_.clear();
    updateRetry();
    if (hotKeys_)
        disconnect(hotKeys_, nullptr, this, nullptr);
    hotKeys_ = current;
    connect(hotKeys_, &HotKeys::pressed, this, &HotKeyCenter::onPressed);
    connect(hotKeys_, &HotKeys::keyboardChanged, this, &HotKeyCenter::retryTaken);
}

int HotKeyCenter::add(const KeyCombo& combo, std::function<void()>& handler)
{
    const std::uint32_t id = nextId_++;
    const int status = hotKeys_->registerHotKey(HotKeys::kSignature, id, combo.keyCode, combo.modifiers);
    if (status == HotKeys::kStatusNoError)
        handlers_[id] = std::move(handler);
    return status;
}

bool HotKeyCenter::registerKey(const KeyCombo& combo, std::function<void()> handler)
{
    useCurrentService();
    const int status = add(combo, handler);
    if (status == HotKeys::kStatusNoError)
        return true;
    Platform::current().workspace->log(refusalLine(combo, status));
    taken_.push_back({combo, std::move(handler)});
    updateRetry();
    return false;
}

void HotKeyCenter::unregisterAll()
{
    if (hotKeys_)
        for (const auto& [id, handler] : handlers_)
            hotKeys_->unregisterHotKey(HotKeys::kSignature, id);
    handlers_.clear();
    taken_.clear();
    updateRetry();
}

bool HotKeyCenter::isTaken(const KeyCombo& combo) const
{
    return std::any_of(taken_.begin(), taken_.end(), [&](const Taken& t) { return t.combo == combo; });
}

void HotKeyCenter::retryTaken()
{
    if (!hotKeys_)
        return;
    // Quietly: the refusal is in the log already.
    std::vector<KeyCombo> freed;
    std::erase_if(taken_, [&](Taken& t) {
        if (add(t.combo, t.handler) != HotKeys::kStatusNoError)
            return false;
        freed.push_back(t.combo);
        return true;
    });
    updateRetry();
    for (const KeyCombo& combo : freed)
        emit keyFreed(combo);
}

void HotKeyCenter::updateRetry()
{
    if (taken_.empty()) {
        if (retryId_ && retryClock_)
            retryClock_->cancel(retryId_);
        retryId_ = 0;
        return;
    }
    if (retryId_)
        return;
    retryClock_ = Platform::current().clock;
    retryId_ = retryClock_->schedule(kRetryInterval, [self = QPointer<HotKeyCenter>(this)] {
        if (!self)
            return;
        self->retryId_ = 0;
        self->retryTaken();
    });
}

void HotKeyCenter::onPressed(std::uint32_t signature, std::uint32_t id)
{
    if (signature != HotKeys::kSignature)
        return;
    const auto it = handlers_.find(id);
    if (it == handlers_.end())
        return;
    // Run from the main loop, not inside the platform's event delivery; a
    // handler unregistered meanwhile still runs for the press it got.
    Platform::current().clock->singleShot(0, this, it->second);
}

} // namespace tavrin
