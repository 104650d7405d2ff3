#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace tavrin {

// The user's settings and learned state: a flat map of property-list values.
// Values are bool, qint64, double, QString, QByteArray (data), QDateTime
// (date), QVariantList (array) and QVariantMap (dictionary). A missing key is
// not the same as false or zero: `value` answers none for it.
class Defaults : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual std::optional<QVariant> value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;
    virtual QStringList keys() const = 0;
    // Removes the keys of `removed`, then sets `values` (an invalid QVariant
    // removes its key), as one change: a store kept in a file writes it once,
    // so the file never holds half of it. `changed` is announced for each key.
    virtual void replace(const QStringList& removed, const QVariantMap& values);
    // A value of another application's domain, read only.
    virtual std::optional<QVariant> foreignValue(const QString& domain, const QString& key) const = 0;
    // Why changed settings are not being saved, in a few words ("No space
    // left on device", "Permission denied"); empty while they are. A change
    // is announced by `problemChanged`.
    virtual QString saveProblem() const { return {}; }

    bool contains(const QString& key) const { return value(key).has_value(); }
    // Sets aside `raw`, a stored value that could not be read, before it is
    // written over: under `key`, or, when that holds an earlier, different
    // value, under `key` + ".2", ".3" and so on; nothing when one of them
    // holds it already. No earlier copy is ever replaced.
    void keepAside(const QString& key, const QVariant& raw);
    // A switch: `fallback` when missing; numbers count as on when not zero and
    // the strings "YES", "true" and "1" as on.
    bool boolValue(const QString& key, bool fallback = false) const;
    // A number (bool, integer or real), or none when missing or not a number.
    std::optional<double> number(const QString& key) const;
    // Integers exactly; reals toward zero, clamped to the range of qint64.
    std::optional<qint64> integer(const QString& key) const;
    std::optional<QString> string(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;

    // The same readings of any property-list value.
    static std::optional<bool> toBool(const QVariant& v);
    static std::optional<double> toNumber(const QVariant& v);

signals:
    void changed(const QString& key);
    void problemChanged();
};

} // namespace tavrin
