#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace tavrin {

// Writes snapshots of the settings to their file on a thread of its own, so
// that a large file never holds up the main thread: each snapshot is turned
// into XML and written whole (temporary file, flushed to disk, renamed; see
// PrivateFile), one at a time and in the order given. A snapshot given while
// a write runs waits; a newer one takes its place, since each holds every
// setting. A snapshot is the settings in parts, implicitly shared values
// that are safe to read here while the main thread changes its own copy; the
// file holds them merged, sorted by key.
class SettingsWriter {
public:
    // How one write went: empty texts when the file was written.
    struct Outcome {
        QString folderError; // the folder could not be made
        QString writeError;  // the file could not be written
    };

    // `written` is called on `receiver`'s thread, through its event loop,
    // after each write; takeOutcomes() then says how they went.
    SettingsWriter(QString path, QObject* receiver, std::function<void()> written);
    // Finishes the write under way and the one waiting.
    ~SettingsWriter();
    SettingsWriter(const SettingsWriter&) = delete;
    SettingsWriter& operator=(const SettingsWriter&) = delete;

    void write(QList<QVariantMap> snapshot);
    // Blocks until every snapshot given so far is written or has failed.
    void waitUntilIdle();
    // How the writes finished since the last call, in order.
    std::deque<Outcome> takeOutcomes();

private:
    void run();
    Outcome writeNow(const QList<QVariantMap>& snapshot, const QString& path) const;

    QObject* receiver_;
    std::function<void()> written_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    const QString path_;
    std::optional<QList<QVariantMap>> waiting_;
    bool busy_ = false;
    bool stopping_ = false;
    std::deque<Outcome> outcomes_;
    std::thread thread_;
};

} // namespace tavrin
