#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace tavrin {

class Defaults;

// Learned state is kept in the defaults as property-list dictionaries, arrays
// and integers. A stored value of any other shape (a dictionary with a single
// entry of the wrong type among them) reads as empty, so that one damaged key
// never stops learning: the next write sets it aside and replaces it with a
// well-formed value.
namespace stored {

// Integers only: not booleans, reals or strings.
bool isInteger(const QVariant& value);
bool isString(const QVariant& value);
// A dictionary whose every value is an integer.
bool isIntegerDictionary(const QVariant& value);
// A dictionary whose every value passes `valid`.
bool isDictionaryOf(const QVariant& value, bool (*valid)(const QVariant&));
// An array of strings only.
bool isStringArray(const QVariant& value);

// Writes `value` under `key`. A value stored there that `readable` refuses is
// first kept aside under `key` + ".unreadable" (".2", ".3" … for later ones),
// so that a damaged value is never lost to the write that replaces it.
void write(Defaults& defaults, const QString& key, const QVariant& value, bool (*readable)(const QVariant&));

// The dictionary under `key` when every value passes `valid`; else empty.
QVariantMap dictionary(const Defaults& defaults, const QString& key, bool (*valid)(const QVariant&));
// The array of strings under `key`; else empty.
QStringList strings(const Defaults& defaults, const QString& key);
// The integer under `key`; else none.
std::optional<qint64> integer(const Defaults& defaults, const QString& key);

} // namespace stored
} // namespace tavrin
