#pragma once

#include <QObject>

class QSocketNotifier;

namespace tavrin {

// Turns SIGTERM and SIGINT into a clean quit of the event loop: the signal
// handler only writes a byte to a socket pair, the main thread does the rest.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    // Readable from the signal until the main loop has taken it (-1 when
    // signals could not be watched): what a wait that blocks the main loop
    // watches to end early.
    int descriptor() const;

signals:
    void quitRequested(int signal);

private:
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace tavrin
