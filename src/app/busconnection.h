#pragma once

#include <QDBusConnection>
#include <QString>

namespace tavrin {

// What the program asks of a bus connection that any process of the session
// can send to.
class BusConnection {
public:
    // Keeps the connection read whatever it is sent. The bus library stops
    // reading a connection once the messages it has read and not yet freed
    // pass a limit (63 MiB of them, or 4,096 file descriptors), and turns
    // reading back on from the thread that frees the last of them; Qt only
    // lets its own bus thread do that, so one large message would leave the
    // program deaf to the bus for the rest of its run. Without the limit the
    // program reads every message as it comes: what it is sent is bounded by
    // the bus itself, and handled, or refused, as it comes. False, with the
    // reason in `problem`, when the limit could not be lifted.
    static bool keepReading(QDBusConnection bus, QString* problem = nullptr);

    // Waits until every message sent on the connection so far, answers to
    // callers included, has reached the bus, at most `limitMs`: Qt sends
    // them from its bus thread, which an ending process would not wait for.
    // False when the bus did not confirm it in time.
    static bool deliverSent(QDBusConnection bus, int limitMs);
};

} // namespace tavrin
