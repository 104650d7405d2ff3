#include "app/updates/appcast.h"

#include <QXmlStreamReader>

namespace tavrin {

namespace {
enum class PartKind { number, word, separator };

struct Part {
    PartKind kind;
    QString text;
};

PartKind kindOf(QChar c)
{
    if (c.isDigit())
        return PartKind::number;
    if (c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('+') || c.isSpace())
        return PartKind::separator;
    return PartKind::word;
}

QList<Part> split(const QString& version)
{
    QList<Part> parts;
    for (const QChar c : version) {
        const PartKind kind = kindOf(c);
        // Separators stand alone; digits and letters gather into runs.
        if (!parts.isEmpty() && parts.last().kind == kind && kind != PartKind::separator)
            parts.last().text += c;
        else
            parts.append({kind, QString(c)});
    }
    return parts;
}

int compareNumbers(QString a, QString b)
{
    // Arbitrarily long runs of digits, compared without overflow.
    while (a.size() > 1 && a.front() == QLatin1Char('0'))
        a.remove(0, 1);
    while (b.size() > 1 && b.front() == QLatin1Char('0'))
        b.remove(0, 1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int sign(int v) { return (v > 0) - (v < 0); }

QString attribute(const QXmlStreamAttributes& attributes, const QString& localName)
{
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == localName)
            return a.value().toString().trimmed();
    return {};
}

QUrl webAddress(const QString& text)
{
    QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return {};
    return url;
}
} // namespace

int Appcast::compareVersions(const QString& a, const QString& b)
{
    const QList<Part> pa = split(a.trimmed());
    const QList<Part> pb = split(b.trimmed());
    const qsizetype common = std::min(pa.size(), pb.size());
    for (qsizetype i = 0; i < common; ++i) {
        const Part& x = pa[i];
        const Part& y = pb[i];
        if (x.kind == y.kind) {
            if (x.kind == PartKind::number) {
                if (const int c = compareNumbers(x.text, y.text))
                    return c;
            } else if (x.kind == PartKind::word) {
                if (const int c = sign(x.text.compare(y.text, Qt::CaseInsensitive)))
                    return c;
            }
            continue;
        }
        // Different kinds at the same place: a number is newer than a word
        // ("1.0.1" > "1.0b"), a separator before a number is newer than a word
        // ("1.0.1" > "1.0b1").
        if (x.kind == PartKind::word)
            return -1;
        if (y.kind == PartKind::word)
            return 1;
        return x.kind == PartKind::number ? 1 : -1;
    }
    if (pa.size() == pb.size())
        return 0;
    // One is longer: what follows decides. A trailing word is a pre-release
    // (older); a trailing number a later release (newer).
    const bool aLonger = pa.size() > pb.size();
    const QList<Part>& longer = aLonger ? pa : pb;
    for (qsizetype i = common; i < longer.size(); ++i) {
        if (longer[i].kind == PartKind::separator)
            continue;
        const bool longerIsNewer = longer[i].kind == PartKind::number;
        return (longerIsNewer == aLonger) ? 1 : -1;
    }
    return 0;
}

std::optional<QList<AppcastItem>> Appcast::parse(const QByteArray& xml, QString* error)
{
    QXmlStreamReader reader(xml);
    QList<AppcastItem> items;
    bool sawChannel = false;
    std::optional<AppcastItem> item;
    QString releaseNotes;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QStringView name = reader.name();
            if (name == QLatin1String("channel")) {
                sawChannel = true;
            } else if (name == QLatin1String("item") && sawChannel) {
                item = AppcastItem{};
                releaseNotes.clear();
            } else if (item && name == QLatin1String("enclosure")) {
                const QXmlStreamAttributes attributes = reader.attributes();
                item->downloadURL = webAddress(attribute(attributes, QStringLiteral("url")));
                if (const QString v = attribute(attributes, QStringLiteral("version")); !v.isEmpty())
                    item->version = v;
                if (const QString v = attribute(attributes, QStringLiteral("shortVersionString")); !v.isEmpty())
                    item->displayVersion = v;
            } else if (item && reader.prefix().isEmpty() && name == QLatin1String("title")) {
                item->title = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            } else if (item && reader.prefix().isEmpty() && name == QLatin1String("link")) {
                item->infoURL = webAddress(reader.readElementText(QXmlStreamReader::SkipChildElements));
            } else if (item && name == QLatin1String("releaseNotesLink")) {
                releaseNotes = reader.readElementText(QXmlStreamReader::SkipChildElements);
            } else if (item && !reader.prefix().isEmpty() && name == QLatin1String("version")) {
                item->version = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            } else if (item && !reader.prefix().isEmpty() && name == QLatin1String("shortVersionString")) {
                item->displayVersion = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1String("item") && item) {
            if (item->infoURL.isEmpty())
                item->infoURL = webAddress(releaseNotes);
            if (!item->version.isEmpty()) {
                if (item->displayVersion.isEmpty())
                    item->displayVersion = item->version;
                items.append(*item);
            }
            item.reset();
        }
    }
    if (reader.hasError() || !sawChannel) {
        if (error)
            *error = reader.hasError() ? reader.errorString() : QStringLiteral("The feed has no channel.");
        return std::nullopt;
    }
    return items;
}

std::optional<AppcastItem> Appcast::newest(const QList<AppcastItem>& items)
{
    std::optional<AppcastItem> best;
    for (const AppcastItem& item : items)
        if (!best || compareVersions(item.version, best->version) > 0)
            best = item;
    return best;
}

} // namespace tavrin
