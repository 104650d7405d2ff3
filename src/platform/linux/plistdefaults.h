#pragma once

#include "platform/defaults.h"
#include "platform/linux/privatefile.h"

#include <QHash>
#include <QVariantMap>

namespace tavrin {

// The settings file: one XML property list, read once at start-up and written
// whole, atomically and private to the user (see PrivateFile), on every
// change. Start-up removes what a write cut short left behind.
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
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    explicit PlistDefaults(QString path, QObject* parent = nullptr);

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

private:
    struct Foreign {
        PrivateFile::Stamp stamp;
        QVariantMap values;
    };

    void load();
    void setAside(const QString& why);
    QString moveAside();
    void save();
    // `value` as stored, or none (with a warning) when it can't be.
    static std::optional<QVariant> storable(const QString& key, const QVariant& value);
    void setWriteProblem(const QString& problem, const QString& reason);

    QString path_;
    QVariantMap values_;
    QString loadProblem_;
    QString writeProblem_;
    QString saveProblem_;
    // False when the file could not be read, or was damaged and could not be
    // moved aside: it is never replaced, so changes are kept in memory only.
    bool writable_ = true;
    // The foreign domains as last read, by domain.
    mutable QHash<QString, Foreign> foreign_;
};

} // namespace tavrin
