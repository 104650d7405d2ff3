#include "platform/linux/plistcodec.h"

#include "platform/clock.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QStringList>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>
#include <cstdlib>
#include <limits>
#include <memory>
#include <plist/plist.h>

namespace tavrin {

namespace {

// libplist counts dates in seconds from 1 January 2001.
constexpr qint64 kReferenceMSecs = Clock::kReferenceEpochSeconds * 1000;

const QByteArray kDateOpen = QByteArrayLiteral("<date>");
const QByteArray kDateClose = QByteArrayLiteral("</date>");

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

// libplist 2.2 hands out malloc'd buffers and has no function of its own to
// release them.
struct CFree {
    void operator()(char* p) const { std::free(p); }
};
using CString = std::unique_ptr<char, CFree>;

std::optional<QVariant> refuse(QString* why, const QString& what, const QString& where)
{
    if (why)
        *why = where.isEmpty() ? what : QStringLiteral("%1 (at %2)").arg(what, where);
    return std::nullopt;
}

std::optional<QVariant> normalise(const QVariant& v, const QString& where, QString* why)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return QVariant(v.toBool());
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QVariant(qint64(v.toLongLong()));
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const quint64 u = v.toULongLong();
        if (u > quint64(std::numeric_limits<qint64>::max()))
            return refuse(why, QStringLiteral("an integer beyond 64 signed bits"), where);
        return QVariant(qint64(u));
    }
    case QMetaType::Float:
    case QMetaType::Double:
        return QVariant(v.toDouble());
    case QMetaType::QString: {
        QString s = v.toString();
        if (s.contains(QChar(0)))
            return refuse(why, QStringLiteral("a string with a NUL character"), where);
        return QVariant(s);
    }
    case QMetaType::QByteArray:
        return QVariant(v.toByteArray());
    case QMetaType::QDateTime: {
        const QDateTime d = v.toDateTime();
        if (!d.isValid())
            return refuse(why, QStringLiteral("an invalid date"), where);
        const QDateTime utc = d.toUTC();
        if (utc.date().year() < 1 || utc.date().year() > 9999)
            return refuse(why, QStringLiteral("a date outside the years 1 to 9999"), where);
        return QVariant(utc);
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        const QVariantList in = v.toList();
        QVariantList out;
        out.reserve(in.size());
        for (qsizetype i = 0; i < in.size(); ++i) {
            auto item = normalise(in[i], QStringLiteral("%1[%2]").arg(where).arg(i), why);
            if (!item)
                return std::nullopt;
            out.append(std::move(*item));
        }
        return QVariant(out);
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        const QVariantMap in = v.toMap();
        QVariantMap out;
        for (auto it = in.cbegin(); it != in.cend(); ++it) {
            const QString at = where.isEmpty() ? it.key() : where + QLatin1Char('.') + it.key();
            if (it.key().contains(QChar(0)))
                return refuse(why, QStringLiteral("a key with a NUL character"), at);
            auto item = normalise(it.value(), at, why);
            if (!item)
                return std::nullopt;
            out.insert(it.key(), std::move(*item));
        }
        return QVariant(out);
    }
    default:
        return refuse(why,
                      v.isValid() ? QStringLiteral("a value of type %1").arg(QLatin1String(v.typeName()))
                                  : QStringLiteral("no value"),
                      where);
    }
}

qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Whole seconds since 2001 of `date`, and whether they fit libplist's 32 bits.
std::pair<qint64, bool> referenceSeconds(const QDateTime& date)
{
    const qint64 secs = floorDiv(date.toMSecsSinceEpoch() - kReferenceMSecs, 1000);
    const bool fits = secs >= std::numeric_limits<int32_t>::min() && secs <= std::numeric_limits<int32_t>::max();
    return {secs, fits};
}

QByteArray dateText(const QDateTime& utc)
{
    const QString format = utc.time().msec() != 0 ? QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'")
                                                    : QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'");
    return utc.toString(format).toLatin1();
}

class Writer {
public:
    // A node for a canonical value; null for anything else.
    plist_t build(const QVariant& v)
    {
        switch (v.typeId()) {
        case QMetaType::Bool:
            return plist_new_bool(v.toBool() ? 1 : 0);
        case QMetaType::LongLong:
            // Stored as the same 64 bits; libplist writes them as a signed number.
            return plist_new_uint(quint64(v.toLongLong()));
        case QMetaType::Double:
            return plist_new_real(v.toDouble());
        case QMetaType::QString:
            return plist_new_string(v.toString().toUtf8().constData());
        case QMetaType::QByteArray: {
            const QByteArray bytes = v.toByteArray();
            return plist_new_data(bytes.constData(), quint64(bytes.size()));
        }
        case QMetaType::QDateTime: {
            const QDateTime utc = v.toDateTime().toUTC();
            dates_.append(dateText(utc));
            const auto [secs, fits] = referenceSeconds(utc);
            return plist_new_date(fits ? int32_t(secs) : 0, 0);
        }
        case QMetaType::QVariantList: {
            plist_t array = plist_new_array();
            for (const QVariant& item : v.toList()) {
                if (plist_t node = build(item))
                    plist_array_append_item(array, node);
            }
            return array;
        }
        case QMetaType::QVariantMap: {
            plist_t dict = plist_new_dict();
            const QVariantMap map = v.toMap();
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                if (plist_t node = build(it.value()))
                    plist_dict_set_item(dict, it.key().toUtf8().constData(), node);
            }
            return dict;
        }
        default:
            Q_ASSERT_X(false, "PlistCodec::toXml", "value not in canonical form");
            return nullptr;
        }
    }

    // libplist writes every date as whole seconds, in the order the nodes were
    // built; put back each date's own text.
    QByteArray withDates(const QByteArray& xml) const
    {
        QByteArray out;
        out.reserve(xml.size() + dates_.size() * 4);
        const QByteArrayView view(xml);
        qsizetype from = 0;
        for (const QByteArray& text : dates_) {
            const qsizetype open = xml.indexOf(kDateOpen, from);
            const qsizetype close = open < 0 ? -1 : xml.indexOf(kDateClose, open);
            if (close < 0)
                break;
            out.append(view.sliced(from, open + kDateOpen.size() - from));
            out.append(text);
            from = close;
        }
        out.append(view.sliced(from));
        return out;
    }

private:
    QList<QByteArray> dates_;
};

class Reader {
public:
    explicit Reader(const QByteArray& xml)
    {
        qsizetype from = 0;
        while (true) {
            const qsizetype open = xml.indexOf(kDateOpen, from);
            const qsizetype close = open < 0 ? -1 : xml.indexOf(kDateClose, open);
            if (close < 0)
                break;
            const qsizetype start = open + kDateOpen.size();
            dates_.append(QString::fromLatin1(xml.mid(start, close - start)).trimmed());
            from = close;
        }
    }

    std::optional<QVariant> read(plist_t node)
    {
        switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(node, &b);
            return QVariant(b != 0);
        }
        case PLIST_UINT: {
            uint64_t u = 0;
            plist_get_uint_val(node, &u);
            return QVariant(qint64(u));
        }
        case PLIST_REAL: {
            double d = 0;
            plist_get_real_val(node, &d);
            return QVariant(d);
        }
        case PLIST_STRING: {
            char* raw = nullptr;
            plist_get_string_val(node, &raw);
            const CString s(raw);
            return QVariant(QString::fromUtf8(s.get()));
        }
        case PLIST_DATA: {
            char* raw = nullptr;
            uint64_t length = 0;
            plist_get_data_val(node, &raw, &length);
            const CString bytes(raw);
            return QVariant(QByteArray(bytes.get(), qsizetype(length)));
        }
        case PLIST_DATE:
            return QVariant(date(node));
        case PLIST_ARRAY: {
            QVariantList list;
            const uint32_t n = plist_array_get_size(node);
            list.reserve(n);
            for (uint32_t i = 0; i < n; ++i) {
                if (auto item = read(plist_array_get_item(node, i)))
                    list.append(std::move(*item));
            }
            return QVariant(list);
        }
        case PLIST_DICT: {
            QVariantMap map;
            plist_dict_iter iter = nullptr;
            plist_dict_new_iter(node, &iter);
            while (iter) {
                char* rawKey = nullptr;
                plist_t value = nullptr;
                plist_dict_next_item(node, iter, &rawKey, &value);
                const CString key(rawKey);
                if (!value)
                    break;
                if (auto item = read(value))
                    map.insert(QString::fromUtf8(key.get()), std::move(*item));
            }
            std::free(iter);
            return QVariant(map);
        }
        default:
            return std::nullopt;
        }
    }

private:
    // libplist reads dates to the whole second; take the fraction from the
    // date's text when that text agrees with libplist's reading of it.
    QDateTime date(plist_t node)
    {
        int32_t secs = 0;
        int32_t usecs = 0;
        plist_get_date_val(node, &secs, &usecs);
        const QDateTime whole = QDateTime::fromMSecsSinceEpoch(
            kReferenceMSecs + qint64(secs) * 1000 + usecs / 1000, Qt::UTC);
        if (next_ >= dates_.size())
            return whole;
        const QDateTime precise = QDateTime::fromString(dates_[next_++], Qt::ISODateWithMs).toUTC();
        if (!precise.isValid())
            return whole;
        const auto [preciseSecs, fits] = referenceSeconds(precise);
        const bool agrees = fits ? preciseSecs == secs
                                 : (secs == std::numeric_limits<int32_t>::min()
                                    || secs == std::numeric_limits<int32_t>::max());
        return agrees ? precise : whole;
    }

    QStringList dates_;
    qsizetype next_ = 0;
};

} // namespace

std::optional<QVariant> PlistCodec::normalised(const QVariant& value, QString* why)
{
    return normalise(value, QString(), why);
}

QByteArray PlistCodec::toXml(const QVariant& value)
{
    Writer writer;
    const PlistPtr root(writer.build(value));
    if (!root)
        return {};
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &raw, &length);
    const CString xml(raw);
    return writer.withDates(QByteArray(xml.get(), qsizetype(length)));
}

std::optional<QVariant> PlistCodec::fromData(const QByteArray& bytes, QString* why)
{
    if (bytes.isEmpty())
        return refuse(why, QStringLiteral("it is empty"), QString());
    if (quint64(bytes.size()) > std::numeric_limits<uint32_t>::max())
        return refuse(why, QStringLiteral("it is too large"), QString());
    plist_t raw = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &raw);
    const PlistPtr root(raw);
    if (!root)
        return refuse(why, QStringLiteral("it is not a property list"), QString());
    const bool binary = plist_is_binary(bytes.constData(), uint32_t(bytes.size())) != 0;
    Reader reader(binary ? QByteArray() : bytes);
    auto value = reader.read(root.get());
    if (!value)
        return refuse(why, QStringLiteral("its top level is not a property-list value"), QString());
    return value;
}

} // namespace tavrin
