#include "platform/linux/plistcodec.h"

#include "platform/linux/plistbinaryreader.h"
#include "platform/linux/plistxmlreader.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QStringDecoder>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <memory>

namespace tavrin {

namespace {

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
        out.insert(it.key(), *item);
    }
    return QVariant(out);
}

// Whether normalise() would give `v` back unchanged. Dates are left to it.
// Containers are looked into where they are held, without copies: a learned
// table of 200,000 entries is looked over at each write.
bool isCanonical(const QVariant& v, int depthLeft)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QByteArray: return true;
    case QMetaType::QString: return !static_cast<const QString*>(v.constData())->contains(QChar(0));
    case QMetaType::QVariantList: {
        if (depthLeft < 1)
            return false;
        const auto& list = *static_cast<const QVariantList*>(v.constData());
        return std::all_of(list.cbegin(), list.cend(),
                           [depthLeft](const QVariant& item) { return isCanonical(item, depthLeft - 1); });
    }
    case QMetaType::QVariantMap: {
        if (depthLeft < 1)
            return false;
        const auto& map = *static_cast<const QVariantMap*>(v.constData());
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            if (it.key().contains(QChar(0)) || !isCanonical(it.value(), depthLeft - 1))
                return false;
        return true;
    }
    default: return false;
    }
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

QByteArray dateText(const QDateTime& utc)
{
    return utc.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")).toLatin1();
}

// XML property-list text of a canonical value, laid out as libplist lays it
// out (a tab per level, data in lines of 68 characters), written straight
// into one buffer: libplist builds a tree of nodes first and took over a
// second for a file of 30 MB, which the program's quit then waited for.
class XmlWriter {
public:
    QByteArray document(const QVariant& value)
    {
        out_ = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                 "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                 "<plist version=\"1.0\">\n");
        write(value, 0);
        out_ += "</plist>\n";
        return std::move(out_);
    }

private:
    void indent(int depth) { out_.append(depth, '\t'); }

    // Text as UTF-8, encoded straight into the buffer, with the characters
    // markup gives a meaning escaped.
    void text(QStringView s)
    {
        const qsizetype at = out_.size();
        out_.resize(at + s.size() * 3);
        char* const end = encoder_.appendToBuffer(out_.data() + at, s);
        out_.truncate(end - out_.constData());
        const auto markup = [](char c) { return c == '&' || c == '<' || c == '>'; };
        if (std::none_of(out_.cbegin() + at, out_.cend(), markup))
            return;
        const QByteArray plain = out_.sliced(at);
        out_.truncate(at);
        for (const char c : plain)
            out_ += c == '&' ? QByteArrayView("&amp;") : c == '<' ? "&lt;" : c == '>' ? "&gt;" : QByteArrayView(&c, 1);
    }

    void integer(qint64 n)
    {
        char digits[24];
        const auto [end, error] = std::to_chars(digits, digits + sizeof digits, n);
        element("integer", QByteArrayView(digits, end - digits));
    }

    void element(const char* name, QByteArrayView content)
    {
        out_ += '<';
        out_ += name;
        out_ += '>';
        out_ += content;
        out_ += "</";
        out_ += name;
        out_ += ">\n";
    }

    void data(const QByteArray& bytes, int depth)
    {
        out_ += "<data>\n";
        const QByteArray base64 = bytes.toBase64();
        for (qsizetype at = 0; at < base64.size(); at += 68) {
            indent(depth);
            out_.append(QByteArrayView(base64).sliced(at, std::min<qsizetype>(68, base64.size() - at)));
            out_ += '\n';
        }
        indent(depth);
        out_ += "</data>\n";
    }

    void write(const QVariant& v, int depth)
    {
        indent(depth);
        switch (v.typeId()) {
        case QMetaType::Bool: out_ += v.toBool() ? "<true/>\n" : "<false/>\n"; return;
        case QMetaType::LongLong: integer(v.toLongLong()); return;
        // Seventeen digits read back as the same double.
        case QMetaType::Double: element("real", QByteArray::number(v.toDouble(), 'g', 17)); return;
        case QMetaType::QString:
            out_ += "<string>";
            text(v.toString());
            out_ += "</string>\n";
            return;
        case QMetaType::QByteArray: data(v.toByteArray(), depth); return;
        case QMetaType::QDateTime: element("date", dateText(v.toDateTime().toUTC())); return;
        case QMetaType::QVariantList: {
            const QVariantList list = v.toList();
            if (list.isEmpty()) {
                out_ += "<array/>\n";
                return;
            }
            out_ += "<array>\n";
            for (const QVariant& item : list)
                write(item, depth + 1);
            indent(depth);
            out_ += "</array>\n";
            return;
        }
        case QMetaType::QVariantMap: {
            const QVariantMap map = v.toMap();
            if (map.isEmpty()) {
                out_ += "<dict/>\n";
                return;
            }
            out_ += "<dict>\n";
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                indent(depth + 1);
                out_ += "<key>";
                text(it.key());
                out_ += "</key>\n";
                write(it.value(), depth + 1);
            }
            indent(depth);
            out_ += "</dict>\n";
            return;
        }
        default: Q_ASSERT_X(false, "PlistCodec::toXml", "value not in canonical form"); out_ += "<string></string>\n";
        }
    }

    QByteArray out_;
    QStringEncoder encoder_{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
};

} // namespace

std::optional<QVariant> PlistCodec::normalised(const QVariant& value, QString* why, int maxDepth)
{
    // Most values come canonical already (a learned table of a few hundred
    // thousand entries among them): they are looked over, not rebuilt, and
    // stay shared with their owner.
    if (isCanonical(value, maxDepth))
        return value;
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

QByteArray PlistCodec::toXml(const QVariant& value) { return XmlWriter().document(value); }

std::optional<QVariant> PlistCodec::fromData(const QByteArray& bytes, QString* why, bool* lossy)
{
    if (bytes.isEmpty())
        return refuse(why, QStringLiteral("it is empty"), QString());
    if (bytes.startsWith("bplist"))
        return PlistBinaryReader::read(bytes, kMaxDepth, why, lossy);
    return PlistXmlReader::read(bytes, kMaxDepth, why, lossy);
}

} // namespace tavrin
