#pragma once

#include "windows/keycombo.h"

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace tavrin {

class Clock;
class HotKeys;

// The centre of the global hot keys: registers key combinations with
// the platform's hot-key service under the signature 'TVRN' and a running
// number, and hands each press to its handler.
//
// A key another program holds (a window manager's own binding) is taken: it
// is tried again every 10 s on the platform clock while any key is taken, and
// at once when the keyboard mapping changes, so that it starts working as
// soon as it is let go.
class HotKeyCenter : public QObject {
    Q_OBJECT
public:
    static constexpr double kRetryInterval = 10.0;

    using QObject::QObject;
    ~HotKeyCenter() override;

    // Registers a key. False when the system refuses it: the refusal is then
    // written to the system log, naming the key by its symbols, and the key
    // is kept as taken (see above); `keyFreed` tells when it works after all.
    // The handler runs on the main thread, from the main loop, after the
    // press.
    bool registerKey(const KeyCombo& combo, std::function<void()> handler);
    // Unregisters every key registered so far, forgets the handlers and the
    // taken keys, and stops trying them.
    void unregisterAll();

    // Whether the key was refused and has not been registered since.
    bool isTaken(const KeyCombo& combo) const;
    bool hasTakenKeys() const { return !taken_.empty(); }
    // Tries every taken key again now; the ones the system takes work from
    // here on.
    void retryTaken();

    // The system log line for a refused key.
    static QString refusalLine(const KeyCombo& combo, int status);

signals:
    // A taken key was registered after all.
    void keyFreed(const KeyCombo& combo);

private:
    struct Taken {
        KeyCombo combo;
        std::function<void()> handler;
    };
    // Registers with the platform's service; the status it answered.
    int add(const KeyCombo& combo, std::function<void()>& handler);
    void useCurrentService();
    // Keeps the next try scheduled while a key is taken, and only then.
    void updateRetry();
    void onPressed(std::uint32_t signature, std::uint32_t id);

    QPointer<HotKeys> hotKeys_; // the service the keys are registered with
    std::uint32_t nextId_ = 1;
    std::map<std::uint32_t, std::function<void()>> handlers_;
    std::vector<Taken> taken_;
    // The next try, on the clock it was scheduled with (which a test may
    // have replaced, and ended, since).
    QPointer<Clock> retryClock_;
    std::uint64_t retryId_ = 0;
};

} // namespace tavrin
