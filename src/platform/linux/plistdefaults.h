#pragma once

#include "platform/defaults.h"
#include "platform/linux/privatefile.h"
#include "platform/linux/settingswriter.h"

#include <QHash>
#include <QVariantMap>
#include <memory>

namespace tavrin {

// The settings file: one XML property list, read once at start-up and written
// whole, atomically and private to the user (see PrivateFile). The changes
// of one turn of the event loop make one write, which runs on a thread of
// its own (see SettingsWriter): a change costs the main thread next to
// nothing however large the file, and a crash or a kill loses at most the
// changes whose write had not finished, never the file. Start-up removes
// what a write cut short left behind.
//
// A file with text that is no valid UTF-8 (or UTF-16) reads with
// replacement characters; since writing would lose the original bytes, the
// file is first kept beside itself as a damaged one is. A link that leads
// nowhere is followed when the folder it names exists, and otherwise moved
// aside for a new file.
//
// Settings in a folder other users can write, or behind a link another user
// made, could be sent anywhere by them: such a link is never followed, the
// changes are kept in memory (said in problem()), and they are saved once
// the folder is safe again.
//
// A damaged file — not a property list, nested too deep, not a regular file,
// larger than kMaxFileSize — is moved aside (never overwritten) and the
// settings start empty. A file that can't be read (no permission, an I/O
// error) is left where it is and never written over: the settings are kept
// in memory only. Another application's domain is the read-only file
// `domains/<domain>.plist` beside the settings file, read again only when it
// changes.
class PlistDefaults : public Defaults {
    Q_OBJECT
    // What went wrong with the file, for the log; empty when all is well.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)
public:
    static constexpr qint64 kMaxFileSize = qint64{64} * 1024 * 1024;

    explicit PlistDefaults(QString path, QObject* parent = nullptr);
    // Writes the changes not yet written and waits for them.
    ~PlistDefaults() override;

    // $XDG_CONFIG_HOME/tavrin/defaults.plist (~/.config when unset).
    static QString defaultPath();

    QString path() const { return path_; }
    // The file's problem in full, with its path and what became of it.
    QString problem() const { return writeProblem_.isEmpty() ? loadProblem_ : writeProblem_; }
    QString saveProblem() const override { return saveProblem_; }

    std::optional<QVariant> value(const QString& key) const override;
    // Refuses (with a warning) a value that is not a property-list value; an
    // invalid QVariant removes the key.
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    // One write for the whole change; values that setValue would refuse are
    // left out the same way.
    void replace(const QStringList& removed, const QVariantMap& values) override;
    std::optional<QVariant> foreignValue(const QString& domain, const QString& key) const override;

    // Writes the changes of this turn now and waits until every change made
    // so far is on disk (or its write has failed, see problem()).
    void flush();
    // Waits until the writes handed to the writer so far are done; changes
    // of this turn not yet handed over are not written. Safe on any thread
    // while this object lives: the last thing done before the process is
    // ended with the main thread stuck.
    void waitForWritesUnderWay();

signals:
    // A write finished: the file holds the changes made before it started.
    void saved();

private:
    struct Foreign {
        PrivateFile::Stamp stamp;
        QVariantMap values;
    };

    void load();
    void setAside(const QString& why);
    // Renames the file (or link) at the path to `<path>.<infix>-<time>`,
    // never over another file; the new name, or empty.
    QString moveAside(const QString& infix);
    // Keeps the file that was read under a name of its own, beside it.
    void keepOriginal(const QString& what);
    void followDanglingLink();
    // Asks for a write at the end of this turn of the event loop.
    void save();
    void saveBurst();
    void takeOutcomes();
    // `value` as stored, or none (with a warning) when it can't be.
    static std::optional<QVariant> storable(const QString& key, const QVariant& value);
    void setWriteProblem(const QString& problem, const QString& reason);

    QString path_;
    // The settings in parts by key: while the writer holds a snapshot of
    // them, a change copies the one part it touches, not every setting.
    static constexpr int kParts = 64;
    QVariantMap& part(const QString& key) { return values_[qsizetype(qHash(key) % kParts)]; }
    const QVariantMap& part(const QString& key) const { return values_[qsizetype(qHash(key) % kParts)]; }
    QList<QVariantMap> values_ = QList<QVariantMap>(kParts);
    QString loadProblem_;
    QString writeProblem_;
    QString saveProblem_;
    // False when the file could not be read, or was damaged and could not be
    // moved aside: it is never replaced, so changes are kept in memory only.
    bool writable_ = true;
    // Someone else could decide where the file goes (see
    // PrivateFile::othersCanRedirect): nothing is written until that ends.
    bool redirectable_ = false;
    bool stillRedirectable();
    // The foreign domains as last read, by domain.
    mutable QHash<QString, Foreign> foreign_;
    bool burstPending_ = false;
    std::unique_ptr<SettingsWriter> writer_;
};

} // namespace tavrin
