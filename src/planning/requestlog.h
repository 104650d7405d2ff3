#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

namespace tavrin {

class Clock;

// Every request sent to a planner, as it was sent: newest first, at most 20,
// in memory only (never written to disk).
class RequestLog : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        enum class Kind { waiting, ok, failed };
        Kind kind = Kind::waiting;
        QString message; // for `failed`

        static Outcome ok() { return {Kind::ok, {}}; }
        static Outcome failed(QString message) { return {Kind::failed, std::move(message)}; }
        bool operator==(const Outcome&) const = default;
    };

    struct Entry {
        QUuid id;
        QDateTime date;
        QString engine;      // the planner's name
        QString typed;       // what the user typed
        QString destination; // where it went ("api.anthropic.com/v1/messages", "On this computer")
        QString text;        // the request as sent, readable; never holds a key or token
        qint64 bytes = 0;    // UTF-8 size of what was sent
        Outcome outcome;
        bool operator==(const Entry&) const = default;
    };

private:
    Q_PROPERTY(QList<tavrin::RequestLog::Entry> entries READ entries NOTIFY entriesChanged)

public:
    static constexpr int kCapacity = 20;

    // `clock` dates the entries and must outlive the log.
    explicit RequestLog(Clock& clock, QObject* parent = nullptr);

    const QList<Entry>& entries() const { return entries_; }

    // Adds a waiting entry at the front (dropping the oldest beyond 20) and
    // returns its id.
    QUuid record(QString engine, QString typed, QString destination, QString text, qint64 bytes);
    // Sets the outcome of an entry; nothing when it has been dropped.
    void setOutcome(const QUuid& id, Outcome outcome);

signals:
    void entriesChanged();

private:
    Clock& clock_;
    QList<Entry> entries_;
};

} // namespace tavrin
