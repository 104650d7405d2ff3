#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

namespace tavrin {

// Converts between property-list values held in QVariants and property
// list data: XML written here in one pass; XML and binary read by
// PlistXmlReader and PlistBinaryReader.
//
// The canonical values are bool, qint64, double, QString, QByteArray,
// QDateTime (UTC, whole seconds, as the XML form has them), QVariantList and
// QVariantMap, with arrays and dictionaries nested at most kMaxDepth deep.
class PlistCodec {
public:
    static constexpr int kMaxDepth = 512;
    // Property lists count dates in seconds from 1 January 2001 (UTC); this is
    // that moment in seconds from 1970.
    static constexpr qint64 kReferenceDate = 978307200;

    // `value` in canonical form, or none (with the reason in `why`) when it
    // holds something a property list cannot: another type, a date that is
    // invalid or outside the years 1 to 9999, a string or key with a NUL
    // character, an integer beyond 64 signed bits, arrays and dictionaries
    // nested more than `maxDepth` deep. Equivalent Qt types are accepted (int,
    // float, QStringList, QVariantHash, ...); dates lose any fraction of a
    // second.
    static std::optional<QVariant> normalised(const QVariant& value, QString* why = nullptr, int maxDepth = kMaxDepth);

    // `date` in UTC, to the whole second before it; none when it is invalid
    // or outside the years 1 to 9999.
    static std::optional<QDateTime> canonicalDate(const QDateTime& date);

    // Text of UTF-8 bytes, a leading byte-order mark kept as the character it
    // is (QString::fromUtf8 drops it); invalid sequences become U+FFFD, and
    // then `lossy` (when given) is set.
    static QString text(QByteArrayView utf8, bool* lossy = nullptr);

    // XML property list text of a canonical value.
    static QByteArray toXml(const QVariant& value);

    // The canonical value of an XML or binary property list, or none (with
    // the reason in `why`) when `bytes` is not one or breaks the limits above.
    // `lossy` (when given) is set when some text was no valid UTF-8 or UTF-16
    // and was read with replacement characters.
    static std::optional<QVariant> fromData(const QByteArray& bytes, QString* why = nullptr, bool* lossy = nullptr);
};

} // namespace tavrin
