#include "platform/linux/plistcodec.h"

#include "platform/linux/plistbinaryreader.h"
#include "platform/linux/plistxmlreader.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QStringDecoder>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>
#include <cstdlib>
#include <limits>
#include <memory>
#include <plist/plist.h>

namespace tavrin {

namespace {

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

// `v` in canonical form, with `depthLeft` levels of arrays and dictionaries
// allowed; none, with the reason and where (a path of keys and indexes), when
// it holds what a property list cannot.
std::optional<QVariant> normalise(const QVariant& v, const QString& where, int depthLeft, QString* why);

// A date in canonical form (UTC, whole seconds); refused when invalid or outside
// the years 1 to 9999.
std::optional<QVariant> normaliseDate(const QVariant& v, const QString& where, QString* why)
{
    const QDateTime d = v.toDateTime();
    if (!d.isValid())
        return refuse(why, QStringLiteral("an invalid date"), where);
    const auto date = PlistCodec::canonicalDate(d);
    if (!date)
        return refuse(why, QStringLiteral("a date outside the years 1 to 9999"), where);
    return QVariant(*date);
}

// An array's items each in canonical form, named "where[i]" in a refusal.
std::optional<QVariant> normaliseList(const QVariant& v, const QString& where, int depthLeft, QString* why)
{
    if (depthLeft < 1)
        return refuse(why, QStringLiteral("arrays and dictionaries nested too deep"), where);
    const QVariantList in = v.toList();
    QVariantList out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        auto item = normalise(in[i], QStringLiteral("%1[%2]").arg(where).arg(i), depthLeft - 1, why);
        if (!item)
            return std::nullopt;
        out.append(std::move(*item));
    }
    return QVariant(out);
}

// A dictionary's values each in canonical form, named "where.key" in a refusal.
std::optional<QVariant> normaliseMap(const QVariant& v, const QString& where, int depthLeft, QString* why)
{
    if (depthLeft < 1)
        return refuse(why, QStringLiteral("arrays and dictionaries nested too deep"), where);
    const QVariantMap in = v.toMap();
    QVariantMap out;
    for (auto it = in.cbegin(); it != in.cend(); ++it) {
        const QString at = where.isEmpty() ? it.key() : where + QLatin1Char('.') + it.key();
        if (it.key().contains(QChar(0)))
            return refuse(why, QStringLiteral("a key with a NUL character"), at);
        auto item = normalise(it.value(), at, depthLeft - 1, why);
        if (!item)
            return std::nullopt;
        out.insert(it.key(), std::move(*item));
    }
    return QVariant(out);
}

std::optional<QVariant> normalise(const QVariant& v, const QString& where, int depthLeft, QString* why)
{
    switch (v.typeId()) {
    case QMetaType::Bool: return QVariant(v.toBool());
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong: return QVariant(qint64(v.toLongLong()));
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const quint64 u = v.toULongLong();
        if (u > quint64(std::numeric_limits<qint64>::max()))
            return refuse(why, QStringLiteral("an integer beyond 64 signed bits"), where);
        return QVariant(qint64(u));
    }
    case QMetaType::Float:
    case QMetaType::Double: return QVariant(v.toDouble());
    case QMetaType::QString: {
        QString s = v.toString();
        if (s.contains(QChar(0)))
            return refuse(why, QStringLiteral("a string with a NUL character"), where);
        return QVariant(s);
    }
    case QMetaType::QByteArray: return QVariant(v.toByteArray());
    case QMetaType::QDateTime: return normaliseDate(v, where, why);
    case QMetaType::QStringList:
    case QMetaType::QVariantList: return normaliseList(v, where, depthLeft, why);
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: return normaliseMap(v, where, depthLeft, why);
    default:
        return refuse(why,
                      v.isValid() ? QStringLiteral("a value of type %1").arg(QLatin1String(v.typeName()))
                                  : QStringLiteral("no value"),
                      where);
    }
}

// Whole seconds since 2001 of `date`, and whether they fit libplist's 32 bits.
std::pair<qint64, bool> referenceSeconds(const QDateTime& date)
{
    const qint64 secs = date.toSecsSinceEpoch() - PlistCodec::kReferenceDate;
    const bool fits = secs >= std::numeric_limits<int32_t>::min() && secs <= std::numeric_limits<int32_t>::max();
    return {secs, fits};
}

QByteArray dateText(const QDateTime& utc)
{
    return utc.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")).toLatin1();
}

class Writer {
public:
    // A node for a canonical value; null for anything else.
    plist_t build(const QVariant& v)
    {
        switch (v.typeId()) {
        case QMetaType::Bool: return plist_new_bool(v.toBool() ? 1 : 0);
        case QMetaType::LongLong:
            // Stored as the same 64 bits; libplist writes them as a signed number.
            return plist_new_uint(quint64(v.toLongLong()));
        case QMetaType::Double: return plist_new_real(v.toDouble());
        case QMetaType::QString: return plist_new_string(v.toString().toUtf8().constData());
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
        default: Q_ASSERT_X(false, "PlistCodec::toXml", "value not in canonical form"); return nullptr;
        }
    }

    // libplist writes dates in 32 bits from 2001 (the years 1933 to 2069), in
    // the order the nodes were built; put back each date's own text, which
    // also holds the years beyond.
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

} // namespace

std::optional<QVariant> PlistCodec::normalised(const QVariant& value, QString* why, int maxDepth)
{
    return normalise(value, QString(), maxDepth, why);
}

std::optional<QDateTime> PlistCodec::canonicalDate(const QDateTime& date)
{
    if (!date.isValid())
        return std::nullopt;
    const qint64 msecs = date.toMSecsSinceEpoch();
    const qint64 secs = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    const QDateTime whole = QDateTime::fromSecsSinceEpoch(secs, Qt::UTC);
    if (whole.date().year() < 1 || whole.date().year() > 9999)
        return std::nullopt;
    return whole;
}

QString PlistCodec::text(QByteArrayView utf8, bool* lossy)
{
    // Stateless: a sequence cut short at the end is a replacement character
    // too, not bytes the decoder waits for and then drops.
    QStringDecoder decode(QStringDecoder::Utf8,
                          QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    QString text = decode(utf8);
    if (lossy && decode.hasError())
        *lossy = true;
    return text;
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

std::optional<QVariant> PlistCodec::fromData(const QByteArray& bytes, QString* why, bool* lossy)
{
    if (bytes.isEmpty())
        return refuse(why, QStringLiteral("it is empty"), QString());
    if (bytes.startsWith("bplist"))
        return PlistBinaryReader::read(bytes, kMaxDepth, why, lossy);
    return PlistXmlReader::read(bytes, kMaxDepth, why, lossy);
}

} // namespace tavrin
