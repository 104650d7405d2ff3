#include "planning/requestlog.h"

#include "platform/clock.h"

namespace tavrin {

RequestLog::RequestLog(Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {}

QUuid RequestLog::record(QString engine, QString typed, QString destination, QString text, qint64 bytes)
{
    Entry entry;
    entry.id = QUuid::createUuid();
    entry.date = clock_.nowDate();
    entry.engine = std::move(engine);
    entry.typed = std::move(typed);
    entry.destination = std::move(destination);
    entry.text = std::move(text);
    entry.bytes = bytes;
    entries_.prepend(entry);
    if (entries_.size() > kCapacity)
        entries_.resize(kCapacity);
    emit entriesChanged();
    return entry.id;
}

void RequestLog::setOutcome(const QUuid& id, Outcome outcome)
{
    for (Entry& entry : entries_) {
        if (entry.id == id) {
            entry.outcome = std::move(outcome);
            emit entriesChanged();
            return;
        }
    }
}

} // namespace tavrin
