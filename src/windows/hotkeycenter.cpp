#include "windows/hotkeycenter.h"

#include "platform/clock.h"
#include "platform/hotkeys.h"
#include "platform/platform.h"
#include "platform/workspace.h"

namespace tavrin {

HotKeyCenter& HotKeyCenter::shared()
{
    static HotKeyCenter* center = new HotKeyCenter;
    return *center;
}

QString HotKeyCenter::refusalLine(const KeyCombo& combo, int status)
{
    return QStringLiteral("Tavrin: couldn't register hot key %1 (status %2); another app may be using it.")
        .arg(combo.keyCode)
        .arg(status);
}

bool HotKeyCenter::registerKey(const KeyCombo& combo, std::function<void()> handler)
{
    const Platform& platform = Platform::current();
    if (hotKeys_ != platform.hotKeys) {
        // The one handler for every press, installed on first use.
        handlers_.clear();
        if (hotKeys_)
            disconnect(hotKeys_, nullptr, this, nullptr);
        hotKeys_ = platform.hotKeys;
        connect(hotKeys_, &HotKeys::pressed, this, &HotKeyCenter::onPressed);
    }
    const std::uint32_t id = nextId_++;
    const int status = hotKeys_->registerHotKey(HotKeys::kSignature, id, combo.keyCode, combo.modifiers);
    if (status != HotKeys::kStatusNoError) {
        platform.workspace->log(refusalLine(combo, status));
        return false;
    }
    handlers_[id] = std::move(handler);
    return true;
}

void HotKeyCenter::unregisterAll()
{
    if (hotKeys_)
        for (const auto& [id, handler] : handlers_)
            hotKeys_->unregisterHotKey(HotKeys::kSignature, id);
    handlers_.clear();
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
