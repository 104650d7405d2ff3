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
// never stops learning: the next write replaces it with a well-formed value.
namespace stored {

// Integers only: not booleans, reals or strings.
bool isInteger(const QVariant& value);
bool isString(const QVariant& value);
// A dictionary whose every value is an integer.
bool isIntegerDictionary(const QVariant& value);

// The dictionary under `key` when every value passes `valid`; else empty.
QVariantMap dictionary(const Defaults& defaults, const QString& key, bool (*valid)(const QVariant&));
// The array of strings under `key`; else empty.
QStringList strings(const Defaults& defaults, const QString& key);
// The integer under `key`; else none.
std::optional<qint64> integer(const Defaults& defaults, const QString& key);

} // namespace stored
} // namespace tavrin
