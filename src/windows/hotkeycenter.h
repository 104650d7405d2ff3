#pragma once

#include "windows/keycombo.h"

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>

namespace tavrin {

class HotKeys;

// The shared centre of the global hot keys: registers key combinations with
// the platform's hot-key service under the signature 'TVRN' and a running
// number, and hands each press to its handler.
class HotKeyCenter : public QObject {
    Q_OBJECT
public:
    // The program uses the shared one; tests make their own.
    using QObject::QObject;
    static HotKeyCenter& shared();

    // Registers a key. False when the system refuses it; the refusal is then
    // written to the system log and nothing is kept. The handler runs on the
    // main thread, from the main loop, after the press.
    bool registerKey(const KeyCombo& combo, std::function<void()> handler);
    // Unregisters every key registered so far and forgets the handlers.
    void unregisterAll();

    // The system log line for a refused key.
    static QString refusalLine(const KeyCombo& combo, int status);

private:
    void onPressed(std::uint32_t signature, std::uint32_t id);

    QPointer<HotKeys> hotKeys_; // the service the keys are registered with
    std::uint32_t nextId_ = 1;
    std::map<std::uint32_t, std::function<void()>> handlers_;
};

} // namespace tavrin
