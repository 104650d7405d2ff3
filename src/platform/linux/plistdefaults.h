#pragma once

#include "platform/defaults.h"

#include <QVariantMap>

namespace tavrin {

// The settings file: one XML property list, read once at start-up and written
// whole, atomically, on every change. A damaged file is moved aside (never
// overwritten) and the settings start empty. Another application's domain is
// the read-only file `domains/<domain>.plist` beside the settings file.
class PlistDefaults : public Defaults {
    Q_OBJECT
    // What went wrong with the file, for the user; empty when all is well.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)
public:
    explicit PlistDefaults(QString path, QObject* parent = nullptr);

    // $XDG_CONFIG_HOME/tavrin/defaults.plist (~/.config when unset).
    static QString defaultPath();

    QString path() const { return path_; }
    QString problem() const { return writeProblem_.isEmpty() ? loadProblem_ : writeProblem_; }

    std::optional<QVariant> value(const QString& key) const override;
    // Refuses (with a warning) a value that is not a property-list value; an
    // invalid QVariant removes the key.
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    std::optional<QVariant> foreignValue(const QString& domain, const QString& key) const override;

signals:
    void problemChanged();

private:
    void load();
    QString moveAside();
    void save();
    void setWriteProblem(const QString& problem);

    QString path_;
    QVariantMap values_;
    QString loadProblem_;
    QString writeProblem_;
    // False when a damaged file could not be moved aside: it is never
    // replaced, so changes are kept in memory only.
    bool writable_ = true;
};

} // namespace tavrin
