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

signals:
    void quitRequested(int signal);

private:
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace tavrin
