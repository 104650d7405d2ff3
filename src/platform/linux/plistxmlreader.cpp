#include "platform/linux/plistxmlreader.h"

#include "platform/linux/plistcodec.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>
#include <limits>

namespace tavrin {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// "-12", "+7", "0x1F": clamped to 64 signed bits, as a writer of unsigned
// 64-bit numbers may exceed them.
std::optional<qint64> integerText(QByteArrayView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text = text.sliced(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text = text.sliced(2);
    }
    if (text.isEmpty())
        return std::nullopt;
    // The magnitude, saturating just past what a qint64 holds.
    constexpr quint64 kCap = quint64(std::numeric_limits<qint64>::max()) + 1;
    quint64 magnitude = 0;
    for (const char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude > (kCap - digit) / base ? kCap : magnitude * base + digit;
    }
    if (negative)
        return magnitude >= kCap ? std::numeric_limits<qint64>::min() : -qint64(magnitude);
    return magnitude >= kCap ? std::numeric_limits<qint64>::max() : qint64(magnitude);
}

std::optional<double> realText(QByteArrayView text)
{
    // Writers spell the special values their own ways: "nan", "inf",
    // "+infinity", "-Infinity".
    const QByteArray lower = text.toByteArray().toLower();
    const bool minus = lower.startsWith('-');
    const QByteArray word = (minus || lower.startsWith('+')) ? lower.mid(1) : lower;
    if (word == "nan")
        return std::numeric_limits<double>::quiet_NaN();
    if (word == "inf" || word == "infinity")
        return minus ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    bool ok = false;
    const double d = lower.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return d;
}

// "2026-12-07T10:29:36Z"; a fraction of a second is read and dropped.
std::optional<QDateTime> dateText(QByteArrayView text)
{
    if (text.size() < 20 || text.back() != 'Z' || text[10] != 'T')
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
    return PlistCodec::canonicalDate(date);
}

} // namespace

std::optional<QVariant> PlistXmlReader::read(QByteArrayView xml, int maxDepth, QString* why, bool* lossy)
{
    PlistXmlReader reader(xml, maxDepth);
    auto value = reader.document();
    if (!value && why)
        *why = reader.error_;
    if (lossy && reader.lossy_)
        *lossy = true;
    return value;
}

std::nullopt_t PlistXmlReader::fail(const QString& what)
{
    if (error_.isEmpty()) {
        const qsizetype line = xml_.first(std::min(pos_, xml_.size())).count('\n') + 1;
        error_ = QStringLiteral("%1 (line %2)").arg(what).arg(line);
    }
    return std::nullopt;
}

// The root value, inside <plist> or on its own, with nothing but markup
// around it.
std::optional<QVariant> PlistXmlReader::document()
{
    if (at("\xEF\xBB\xBF")) // a byte-order mark
        pos_ = 3;
    if (!skipMarkup())
        return std::nullopt;
    const bool wrapped = at("<plist") && pos_ + 6 < xml_.size()
                         && (isSpace(xml_[pos_ + 6]) || xml_[pos_ + 6] == '>' || xml_[pos_ + 6] == '/');
    if (wrapped) {
        const auto plist = tag();
        if (!plist)
            return std::nullopt;
        if (plist->empty)
            return fail(QStringLiteral("it is not a property list: <plist/> holds nothing"));
    }
    auto root = value(0);
    if (!root)
        return std::nullopt;
    if (!skipMarkup())
        return std::nullopt;
    if (wrapped && !closingTag(QByteArrayLiteral("plist")))
        return std::nullopt;
    if (!skipMarkup())
        return std::nullopt;
    if (!atEnd())
        return fail(QStringLiteral("it is not a property list: something follows its value"));
    return root;
}

std::optional<QVariant> PlistXmlReader::value(int depth)
{
    if (!skipMarkup())
        return std::nullopt;
    if (atEnd())
        return fail(QStringLiteral("it is not a property list: it ends where a value should be"));
    const auto t = tag();
    if (!t)
        return std::nullopt;
    if (t->closing)
        return fail(
            QStringLiteral("it is not a property list: </%1> where a value should be").arg(QString::fromUtf8(t->name)));
    if (t->name == "dict" || t->name == "array")
        return container(*t, depth + 1);
    return scalar(*t);
}

std::optional<QVariant> PlistXmlReader::container(const Tag& open, int depth)
{
    if (depth > maxDepth_)
        return fail(QStringLiteral("its arrays and dictionaries nest more than %1 deep").arg(maxDepth_));
    const bool dict = open.name == "dict";
    QVariantMap map;
    QVariantList list;
    while (!open.empty) {
        if (!skipMarkup())
            return std::nullopt;
        if (at("</")) {
            if (!closingTag(open.name))
                return std::nullopt;
            break;
        }
        QString key;
        if (dict) {
            const auto k = tag();
            if (!k)
                return std::nullopt;
            if (k->closing || k->name != "key")
                return fail(QStringLiteral("it is not a property list: <%1> where a <key> should be")
                                .arg(QString::fromUtf8(k->name)));
            const auto keyText = text(*k);
            if (!keyText)
                return std::nullopt;
            key = string(*keyText);
        }
        auto item = value(depth);
        if (!item)
            return std::nullopt;
        // Writers put keys in order, so the end is nearly always where the
        // next one goes: a hint there saves the search of a large table.
        if (dict)
            map.insert(map.cend(), key, *item);
        else
            list.append(std::move(*item));
    }
    return dict ? QVariant(map) : QVariant(list);
}

std::optional<QVariant> PlistXmlReader::scalar(const Tag& t)
{
    if (t.name == "true" || t.name == "false") {
        if (!t.empty && !closingTag(t.name))
            return std::nullopt;
        return QVariant(t.name == "true");
    }
    const bool isString = t.name == "string";
    if (!isString && t.name != "integer" && t.name != "real" && t.name != "date" && t.name != "data")
        return fail(
            QStringLiteral("it is not a property list: <%1> is no property-list value").arg(QString::fromUtf8(t.name)));
    const auto content = text(t);
    if (!content)
        return std::nullopt;
    if (isString)
        return QVariant(string(*content));
    const QByteArrayView trimmed = content->trimmed();
    const auto bad = [&] {
        return fail(QStringLiteral("\"%1\" is not a valid <%2>")
                        .arg(QString::fromUtf8(trimmed.first(std::min<qsizetype>(40, trimmed.size()))),
                             QString::fromUtf8(t.name)));
    };
    if (t.name == "integer") {
        const auto n = integerText(trimmed);
        return n ? std::optional<QVariant>(QVariant(*n)) : bad();
    }
    if (t.name == "real") {
        const auto d = realText(trimmed);
        return d ? std::optional<QVariant>(QVariant(*d)) : bad();
    }
    if (t.name == "date") {
        const auto d = dateText(trimmed);
        return d ? std::optional<QVariant>(QVariant(*d)) : bad();
    }
    QByteArray base64 = trimmed.toByteArray();
    base64.removeIf([](char c) { return isSpace(c); });
    auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? std::optional<QVariant>(QVariant(*decoded)) : bad();
}

// The text of an element up to its closing tag: character references
// resolved, CDATA taken as it stands, comments left out.
std::optional<QByteArrayView> PlistXmlReader::text(const Tag& t)
{
    if (t.empty)
        return QByteArrayView();
    const auto plainUpTo = [this](qsizetype from) {
        while (from < xml_.size() && xml_[from] != '<' && xml_[from] != '&' && xml_[from] != '\0')
            ++from;
        return from;
    };
    // Most text is plain up to its closing tag, and is taken where it stands.
    const qsizetype from = pos_;
    if (const qsizetype end = plainUpTo(from); end + 1 < xml_.size() && xml_[end] == '<' && xml_[end + 1] == '/') {
        pos_ = end;
        if (!closingTag(t.name))
            return std::nullopt;
        return xml_.sliced(from, end - from);
    }
    QByteArray& out = scratch_;
    out.resize(0);
    while (true) {
        const qsizetype next = plainUpTo(pos_);
        out.append(xml_.sliced(pos_, next - pos_));
        pos_ = next;
        if (atEnd())
            return fail(
                QStringLiteral("it is not a property list: <%1> is never closed").arg(QString::fromUtf8(t.name)));
        if (xml_[pos_] == '\0')
            return fail(QStringLiteral("a string or key holds a NUL character"));
        if (xml_[pos_] == '&') {
            if (!entity(out))
                return std::nullopt;
        } else if (at("<![CDATA[")) {
            const qsizetype start = pos_ + 9;
            if (!skipPast("]]>", "a CDATA section"))
                return std::nullopt;
            const QByteArrayView cdata = xml_.sliced(start, pos_ - 3 - start);
            if (cdata.contains('\0'))
                return fail(QStringLiteral("a string or key holds a NUL character"));
            out.append(cdata);
        } else if (at("<!--")) {
            if (!skipPast("-->", "a comment"))
                return std::nullopt;
        } else {
            if (!closingTag(t.name))
                return std::nullopt;
            return QByteArrayView(out);
        }
    }
}

QString PlistXmlReader::string(QByteArrayView utf8)
{
    // ASCII, as nearly all settings text is, needs no decoder.
    for (const char c : utf8) {
        if (uchar(c) >= 0x80)
            return PlistCodec::text(utf8, &lossy_);
    }
    return QString::fromLatin1(utf8);
}

// A reference at `pos_` ("&amp;", "&#x41;"), appended to `out` as UTF-8.
bool PlistXmlReader::entity(QByteArray& out)
{
    const qsizetype semicolon = xml_.sliced(pos_, std::min<qsizetype>(12, xml_.size() - pos_)).indexOf(';');
    if (semicolon < 0) {
        fail(QStringLiteral("it is not a property list: a lone \"&\""));
        return false;
    }
    const QByteArrayView name = xml_.sliced(pos_ + 1, semicolon - 1);
    pos_ += semicolon + 1;
    static const std::pair<const char*, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [n, c] : kNamed) {
        if (name == QByteArrayView(n)) {
            out.append(c);
            return true;
        }
    }
    bool ok = false;
    uint codePoint = 0;
    if (name.startsWith("#x") || name.startsWith("#X"))
        codePoint = name.sliced(2).toByteArray().toUInt(&ok, 16);
    else if (name.startsWith('#'))
        codePoint = name.sliced(1).toByteArray().toUInt(&ok, 10);
    if (ok && codePoint == 0) {
        fail(QStringLiteral("a string or key holds a NUL character"));
        return false;
    }
    if (!ok || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        fail(QStringLiteral("it is not a property list: \"&%1;\" is no character").arg(QString::fromLatin1(name)));
        return false;
    }
    const char32_t character = codePoint;
    out.append(QString::fromUcs4(&character, 1).toUtf8());
    return true;
}

// A start, end or empty-element tag at `pos_`; its attributes are passed over.
std::optional<PlistXmlReader::Tag> PlistXmlReader::tag()
{
    if (!at("<"))
        return fail(QStringLiteral("it is not a property list: text where an element should be"));
    Tag t;
    ++pos_;
    if (at("/")) {
        t.closing = true;
        ++pos_;
    }
    const qsizetype start = pos_;
    while (pos_ < xml_.size() && !isSpace(xml_[pos_]) && xml_[pos_] != '/' && xml_[pos_] != '>' && xml_[pos_] != '<')
        ++pos_;
    t.name = xml_.sliced(start, pos_ - start);
    if (t.name.isEmpty())
        return fail(QStringLiteral("it is not a property list: a tag without a name"));
    char quote = 0;
    for (; pos_ < xml_.size(); ++pos_) {
        const char c = xml_[pos_];
        if (quote) {
            quote = c == quote ? '\0' : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '<') {
            break;
        } else if (c == '>') {
            t.empty = !t.closing && xml_[pos_ - 1] == '/';
            ++pos_;
            return t;
        }
    }
    return fail(QStringLiteral("it is not a property list: <%1 is never finished").arg(QString::fromUtf8(t.name)));
}

bool PlistXmlReader::closingTag(QByteArrayView name)
{
    const auto t = tag();
    if (!t)
        return false;
    if (!t->closing || t->name != name) {
        fail(QStringLiteral("it is not a property list: <%1%2> where </%3> should be")
                 .arg(t->closing ? QStringLiteral("/") : QString(), QString::fromUtf8(t->name),
                      QString::fromUtf8(name)));
        return false;
    }
    return true;
}

// Passes over white space, the XML declaration and other processing
// instructions, comments and the document type.
bool PlistXmlReader::skipMarkup()
{
    while (true) {
        skipSpace();
        if (at("<?")) {
            if (!skipPast("?>", "a processing instruction"))
                return false;
        } else if (at("<!--")) {
            if (!skipPast("-->", "a comment"))
                return false;
        } else if (at("<!DOCTYPE")) {
            if (!skipDoctype())
                return false;
        } else {
            return true;
        }
    }
}

bool PlistXmlReader::skipPast(QByteArrayView end, const char* what)
{
    const qsizetype found = xml_.sliced(pos_).indexOf(end);
    if (found < 0) {
        fail(QStringLiteral("it is not a property list: %1 is never closed").arg(QLatin1String(what)));
        return false;
    }
    pos_ += found + end.size();
    return true;
}

// <!DOCTYPE …> with any quoted names and an internal subset in brackets.
bool PlistXmlReader::skipDoctype()
{
    char quote = 0;
    int brackets = 0;
    for (pos_ += 9; pos_ < xml_.size(); ++pos_) {
        const char c = xml_[pos_];
        if (quote)
            quote = c == quote ? '\0' : quote;
        else if (c == '"' || c == '\'')
            quote = c;
        else if (c == '[')
            ++brackets;
        else if (c == ']')
            brackets = std::max(0, brackets - 1);
        else if (c == '>' && brackets == 0) {
            ++pos_;
            return true;
        }
    }
    fail(QStringLiteral("it is not a property list: its document type is never closed"));
    return false;
}

void PlistXmlReader::skipSpace()
{
    while (pos_ < xml_.size() && isSpace(xml_[pos_]))
        ++pos_;
}

} // namespace tavrin
