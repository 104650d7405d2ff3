#include "platform/linux/plistbinaryreader.h"

#include "platform/linux/plistcodec.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>
#include <cmath>
#include <cstring>
#include <limits>

namespace tavrin {

namespace {
constexpr qsizetype kHeaderSize = 8;
constexpr qsizetype kTrailerSize = 32;
// Dates beyond this many seconds from 2001 are far outside the years 1 to 9999.
constexpr double kDateSecondsLimit = 4e11;

QString notAPlist(const QString& what) { return QStringLiteral("it is not a property list: ") + what; }

quint64 bigEndian(QByteArrayView bytes)
{
    quint64 n = 0;
    for (const char b : bytes)
        n = (n << 8) | quint8(b);
    return n;
}

// The canonical date of a date object's bits (a double of seconds from
// 2001); none outside the years 1 to 9999.
std::optional<QDateTime> dateOfBits(quint64 bits)
{
    double secs = 0;
    std::memcpy(&secs, &bits, sizeof secs);
    if (!std::isfinite(secs) || std::fabs(secs) > kDateSecondsLimit)
        return std::nullopt;
    return PlistCodec::canonicalDate(
        QDateTime::fromSecsSinceEpoch(PlistCodec::kReferenceDate + qint64(std::floor(secs)), Qt::UTC));
}
} // namespace

std::optional<QVariant> PlistBinaryReader::read(QByteArrayView data, int maxDepth, QString* why, bool* lossy)
{
    PlistBinaryReader reader(data, maxDepth);
    std::optional<QVariant> value;
    if (reader.trailer())
        value = reader.object(reader.top_, 0);
    if (value && !value->isValid())
        value = reader.fail(notAPlist(QStringLiteral("its top object is no property-list value")));
    if (!value && why)
        *why = reader.error_;
    if (lossy && reader.lossy_)
        *lossy = true;
    return value;
}

std::nullopt_t PlistBinaryReader::fail(const QString& what)
{
    if (error_.isEmpty())
        error_ = what;
    return std::nullopt;
}

// The last 32 bytes: the sizes of offsets and references, the number of
// objects, the top object and where the offset table starts.
bool PlistBinaryReader::trailer()
{
    if (data_.size() < kHeaderSize + 1 + kTrailerSize || !data_.startsWith("bplist00")) {
        fail(notAPlist(QStringLiteral("a binary property list of another version, or cut short")));
        return false;
    }
    const qsizetype t = data_.size() - kTrailerSize;
    offsetSize_ = quint8(data_[t + 6]);
    refSize_ = quint8(data_[t + 7]);
    objects_ = bigEndian(data_.sliced(t + 8, 8));
    top_ = bigEndian(data_.sliced(t + 16, 8));
    const quint64 table = bigEndian(data_.sliced(t + 24, 8));
    const bool sane = offsetSize_ >= 1 && offsetSize_ <= 8 && refSize_ >= 1 && refSize_ <= 8 && objects_ > 0
                      && top_ < objects_ && table > quint64(kHeaderSize) && table <= quint64(t)
                      && objects_ <= (quint64(t) - table) / quint64(offsetSize_);
    if (!sane) {
        fail(notAPlist(QStringLiteral("its trailer is damaged")));
        return false;
    }
    table_ = qsizetype(table);
    return true;
}

bool PlistBinaryReader::fits(qsizetype at, quint64 count, quint64 width) const
{
    return at >= 0 && at <= table_ && count <= quint64(table_ - at) / width;
}

std::optional<quint64> PlistBinaryReader::number(qsizetype at, int size) const
{
    if (!fits(at, quint64(size), 1))
        return std::nullopt;
    return bigEndian(data_.sliced(at, size));
}

std::optional<qsizetype> PlistBinaryReader::locate(quint64 ref)
{
    if (--budget_ < 0)
        return fail(notAPlist(QStringLiteral("it refers to its parts so often that it would make more values than "
                                             "it has bytes")));
    // The trailer's check keeps every entry of the table inside the data.
    const quint64 n = bigEndian(data_.sliced(table_ + qsizetype(ref) * offsetSize_, offsetSize_));
    if (n < quint64(kHeaderSize) || n >= quint64(table_))
        return fail(notAPlist(QStringLiteral("an object lies outside the data")));
    return qsizetype(n);
}

std::optional<quint64> PlistBinaryReader::ref(qsizetype at) const
{
    const auto n = number(at, refSize_);
    if (!n || *n >= objects_)
        return std::nullopt;
    return n;
}

std::optional<quint64> PlistBinaryReader::length(quint8 marker, qsizetype& at)
{
    ++at;
    if ((marker & 0xF) != 0xF)
        return marker & 0xF;
    // Fifteen and more: an integer object follows the marker.
    if (at >= table_ || (quint8(data_[at]) >> 4) != 0x1 || (quint8(data_[at]) & 0xF) > 3)
        return fail(notAPlist(QStringLiteral("an object's length is damaged")));
    const int size = 1 << (quint8(data_[at]) & 0xF);
    const auto n = number(at + 1, size);
    if (!n)
        return fail(notAPlist(QStringLiteral("an object's length is cut short")));
    at += 1 + size;
    return n;
}

std::optional<QVariant> PlistBinaryReader::object(quint64 ref, int depth)
{
    const auto at = locate(ref);
    if (!at)
        return std::nullopt;
    const quint8 marker = quint8(data_[*at]);
    const int kind = marker >> 4;
    if (kind == 0xA || kind == 0xC || kind == 0xD)
        return container(marker, *at, depth + 1);
    return scalar(marker, *at);
}

std::optional<QVariant> PlistBinaryReader::container(quint8 marker, qsizetype at, int depth)
{
    if (depth > maxDepth_)
        return fail(QStringLiteral("its arrays and dictionaries nest more than %1 deep").arg(maxDepth_));
    const bool dict = (marker >> 4) == 0xD;
    const auto count = length(marker, at);
    if (!count)
        return std::nullopt;
    if (!fits(at, *count, quint64(refSize_) * (dict ? 2 : 1)))
        return fail(notAPlist(QStringLiteral("a container is cut short")));
    QVariantMap map;
    QVariantList list;
    for (quint64 i = 0; i < *count; ++i) {
        const auto valueRef = ref(at + qsizetype((dict ? *count + i : i) * refSize_));
        if (!valueRef)
            return fail(notAPlist(QStringLiteral("a container refers to an object that does not exist")));
        std::optional<QString> key;
        if (dict) {
            const auto keyRef = ref(at + qsizetype(i * refSize_));
            key = keyRef ? string(*keyRef) : fail(notAPlist(QStringLiteral("a key that does not exist")));
            if (!key)
                return std::nullopt;
        }
        auto item = object(*valueRef, depth);
        if (!item)
            return std::nullopt;
        if (!item->isValid())
            continue;
        if (dict)
            map.insert(*key, *item);
        else
            list.append(std::move(*item));
    }
    return dict ? QVariant(map) : QVariant(list);
}

std::optional<QString> PlistBinaryReader::string(quint64 ref)
{
    const auto at = locate(ref);
    if (!at)
        return std::nullopt;
    const quint8 marker = quint8(data_[*at]);
    if ((marker >> 4) != 0x5 && (marker >> 4) != 0x6)
        return fail(notAPlist(QStringLiteral("a dictionary key is not a string")));
    return stringAt(marker, *at);
}

// ASCII (0x5n) or UTF-16 big-endian (0x6n) text.
std::optional<QString> PlistBinaryReader::stringAt(quint8 marker, qsizetype at)
{
    const auto count = length(marker, at);
    if (!count)
        return std::nullopt;
    const bool wide = (marker >> 4) == 0x6;
    if (!fits(at, *count, wide ? 2 : 1))
        return fail(notAPlist(QStringLiteral("a string is cut short")));
    QString text;
    if (wide) {
        text.resize(qsizetype(*count));
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(char16_t((quint8(data_[at + 2 * i]) << 8) | quint8(data_[at + 2 * i + 1])));
        // A surrogate without its other half is no character: it could not be
        // written back as UTF-8.
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (text[i].isSurrogate()) {
                text[i] = QChar::ReplacementCharacter;
                lossy_ = true;
            }
        }
    } else {
        text = PlistCodec::text(data_.sliced(at, qsizetype(*count)), &lossy_);
    }
    if (text.contains(QChar(0)))
        return fail(QStringLiteral("a string or key holds a NUL character"));
    return text;
}

std::optional<QVariant> PlistBinaryReader::scalar(quint8 marker, qsizetype at)
{
    const int low = marker & 0xF;
    switch (marker >> 4) {
    case 0x0:
        if (low == 0x8 || low == 0x9)
            return QVariant(low == 0x9);
        if (low == 0x0 || low == 0xF) // null and fill
            return QVariant();
        break;
    case 0x1:
        if (const auto n = integerAt(low, at))
            return QVariant(*n);
        break;
    case 0x2:
        if (const auto r = realAt(low, at))
            return QVariant(*r);
        break;
    case 0x3: {
        const auto bits = low == 3 ? number(at + 1, 8) : std::nullopt;
        if (!bits)
            break;
        const auto date = dateOfBits(*bits);
        if (!date)
            return fail(QStringLiteral("a date lies outside the years 1 to 9999"));
        return QVariant(*date);
    }
    case 0x4: return dataAt(marker, at);
    case 0x5:
    case 0x6: {
        auto text = stringAt(marker, at);
        if (!text)
            return std::nullopt;
        return QVariant(*text);
    }
    case 0x8: // an identifier, of keyed archives
        return QVariant();
    default: break;
    }
    return fail(notAPlist(
        QStringLiteral("an object is damaged or of an unknown kind (0x%1)").arg(marker, 2, 16, QLatin1Char('0'))));
}

std::optional<qint64> PlistBinaryReader::integerAt(int low, qsizetype at) const
{
    if (low > 4)
        return std::nullopt;
    if (low == 4) {
        // 128 bits, signed: clamped to 64.
        const auto high = number(at + 1, 8);
        const auto bits = number(at + 9, 8);
        if (!high || !bits)
            return std::nullopt;
        const bool negative = (*high >> 63) != 0;
        const bool fits64 =
            negative ? (*high == ~quint64(0) && (*bits >> 63) != 0) : (*high == 0 && (*bits >> 63) == 0);
        if (!fits64)
            return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
        return qint64(*bits);
    }
    // One, two and four bytes are unsigned; eight are signed.
    const auto n = number(at + 1, 1 << low);
    if (!n)
        return std::nullopt;
    return qint64(*n);
}

std::optional<double> PlistBinaryReader::realAt(int low, qsizetype at) const
{
    if (low != 2 && low != 3)
        return std::nullopt;
    const auto bits = number(at + 1, 1 << low);
    if (!bits)
        return std::nullopt;
    if (low == 2) {
        float f = 0;
        const quint32 b = quint32(*bits);
        std::memcpy(&f, &b, sizeof f);
        return double(f);
    }
    double d = 0;
    std::memcpy(&d, &*bits, sizeof d);
    return d;
}

std::optional<QVariant> PlistBinaryReader::dataAt(quint8 marker, qsizetype at)
{
    const auto count = length(marker, at);
    if (!count)
        return std::nullopt;
    if (!fits(at, *count, 1))
        return fail(notAPlist(QStringLiteral("a data object is cut short")));
    return QVariant(data_.sliced(at, qsizetype(*count)).toByteArray());
}

} // namespace tavrin
