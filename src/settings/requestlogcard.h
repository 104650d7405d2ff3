#pragma once

#include "design/tcard.h"

namespace tavrin {

class RequestLog;

// The requests sent to planners, newest first (the log keeps 20), each with
// when, which planner, where it went, its size, what was typed, how it
// ended, and on demand the request exactly as it was sent. The log never
// holds a key or token, so neither does this card. It follows the log.
class RequestLogCard : public TCard {
    Q_OBJECT
public:
    explicit RequestLogCard(RequestLog& log, QWidget* parent = nullptr);

    // "18:02 · Claude · your key · api.anthropic.com/v1/messages · 1.2 KB".
    static QString headline(const QDateTime& date, const QString& engine, const QString& destination, qint64 bytes);
    static QString sizeText(qint64 bytes);

private:
    void fill();

    RequestLog& log_;
};

} // namespace tavrin
