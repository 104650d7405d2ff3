#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <optional>

namespace tavrin {

// Converts between property-list values held in QVariants and XML property
// list text, through libplist.
//
// The canonical values are bool, qint64, double, QString, QByteArray,
// QDateTime (UTC), QVariantList and QVariantMap. Dates keep their
// milliseconds: libplist writes and reads whole seconds only, so the date
// texts are written and read here with their fraction.
class PlistCodec {
public:
    // `value` in canonical form, or none (with the reason in `why`) when it
    // holds something a property list cannot: another type, a date that is
    // invalid or outside the years 1 to 9999, a string or key with a NUL
    // character, an integer beyond 64 signed bits. Equivalent Qt types are
    // accepted (int, float, QStringList, QVariantHash, ...).
    static std::optional<QVariant> normalised(const QVariant& value, QString* why = nullptr);

    // XML property list text of a canonical value.
    static QByteArray toXml(const QVariant& value);

    // The value of an XML or binary property list, or none (with the reason in
    // `why`) when `bytes` is not one.
    static std::optional<QVariant> fromData(const QByteArray& bytes, QString* why = nullptr);
};

} // namespace tavrin
