#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QSocketNotifier;

namespace tavrin {

// Turns SIGTERM, SIGINT, SIGHUP and SIGQUIT into a clean quit of the event
// loop: the signal handler only writes a byte to a socket pair, the main
// thread does the rest.
//
// The main thread may be deep in some long piece of work when the signal
// comes, or a step of quitting may hang: a thread of its own then ends the
// process once a deadline given to endWithin() has passed, after its last
// words (waiting for the settings writes under way), with the status a
// process killed by the signal would have had.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    // Readable from the signal until the main loop has taken it (-1 when
    // signals could not be watched): what a wait that blocks the main loop
    // watches to end early.
    int descriptor() const;

    // From a quit signal on, the main loop has `untilTaken` seconds to take
    // it, and the program `untilDone` seconds to end on its own; past
    // either, `lastWords` runs on the watcher's thread (it must be safe
    // there) and the process ends. Empty last words: it only ends. Setting
    // them waits while old ones run, so that what they use may then go.
    void endWithin(double untilTaken, double untilDone, std::function<void()> lastWords);

signals:
    void quitRequested(int signal);

private:
    void readSignal();
    void watchDeadline();

    QSocketNotifier* notifier_ = nullptr;
    std::mutex mutex_;
    std::condition_variable wake_;
    double untilTaken_ = 0; // seconds; 0: no deadline
    double untilDone_ = 0;
    bool taken_ = false; // the main loop took the signal
    std::function<void()> lastWords_;
    bool leaving_ = false;
    std::thread deadlineThread_;
};

} // namespace tavrin
