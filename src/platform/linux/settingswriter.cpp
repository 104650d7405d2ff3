#include "platform/linux/settingswriter.h"

#include "platform/linux/plistcodec.h"
#include "platform/linux/privatefile.h"

#include <QFileInfo>

namespace tavrin {

SettingsWriter::SettingsWriter(QString path, QObject* receiver, std::function<void()> written)
    : receiver_(receiver),
      written_(std::move(written)),
      path_(std::move(path)),
      thread_([this] { run(); })
{}

SettingsWriter::~SettingsWriter()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void SettingsWriter::write(QList<QVariantMap> snapshot)
{
    {
        std::lock_guard lock(mutex_);
        waiting_ = std::move(snapshot);
    }
    wake_.notify_all();
}

void SettingsWriter::waitUntilIdle()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !waiting_ && !busy_; });
}

std::deque<SettingsWriter::Outcome> SettingsWriter::takeOutcomes()
{
    std::lock_guard lock(mutex_);
    return std::exchange(outcomes_, {});
}

void SettingsWriter::run()
{
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return waiting_ || stopping_; });
        if (!waiting_)
            return; // stopping, with nothing left to write
        const QList<QVariantMap> snapshot = std::move(*waiting_);
        waiting_.reset();
        busy_ = true;
        lock.unlock();
        const Outcome outcome = writeNow(snapshot, path_);
        lock.lock();
        outcomes_.push_back(outcome);
        busy_ = false;
        idle_.notify_all();
        QMetaObject::invokeMethod(receiver_, written_, Qt::QueuedConnection);
    }
}

SettingsWriter::Outcome SettingsWriter::writeNow(const QList<QVariantMap>& snapshot, const QString& path) const
{
    Outcome outcome;
    if (!PrivateFile::makeFolder(QFileInfo(path).absolutePath(), &outcome.folderError))
        return outcome;
    QVariantMap merged;
    for (const QVariantMap& part : snapshot)
        merged.insert(part);
    outcome.writeError = PrivateFile::write(path, PlistCodec::toXml(merged));
    return outcome;
}

} // namespace tavrin
