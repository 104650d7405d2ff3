#include "integrations/urlcleaner.h"

#include "workspaces/textcut.h"

#include <QUrl>
#include <algorithm>

namespace tavrin {

namespace {

bool isHex(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

// The characters an address may hold as they stand (RFC 3986); anything
// else, a '%' not followed by two hex digits included, does not parse.
bool isAddressText(const QString& text)
{
    const QStringView allowed = u"-._~:/?#[]@!$&'()*+,;=";
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
            || allowed.contains(QChar(c)))
            continue;
        if (c == u'%' && i + 2 < text.size() && isHex(text[i + 1]) && isHex(text[i + 2])) {
            i += 2;
            continue;
        }
        return false;
    }
    return true;
}

bool isSchemeText(QStringView scheme)
{
    if (scheme.isEmpty() || !scheme.front().isLetter())
        return false;
    for (QChar c : scheme)
        if (!(c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.'))
            return false;
    return true;
}

// A query item's name with its percent-encoding removed.
QString itemName(QStringView item)
{
    const qsizetype equals = item.indexOf(u'=');
    const QStringView raw = equals < 0 ? item : item.left(equals);
    if (!raw.contains(u'%'))
        return raw.toString();
    return QString::fromUtf8(QByteArray::fromPercentEncoding(raw.toUtf8()));
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// Every character outside ASCII as its UTF-8 bytes in percent-encoding.
QString percentEncoded(QStringView text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() < 0x80) {
            out += text[i];
            continue;
        }
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        out += QString::fromLatin1(text.mid(i, n).toUtf8().toPercentEncoding());
        i += n - 1;
    }
    return out;
}

// The address as a browser sends it: a host outside ASCII in its IDNA
// (punycode) form, any other character outside ASCII percent-encoded; none
// when the host has no such form. ASCII text is left as it is.
std::optional<QString> asciiAddress(const QString& address)
{
    if (isAscii(address))
        return address;
    const qsizetype slashes = address.indexOf(QStringLiteral("://"));
    if (slashes < 0)
        return percentEncoded(address);
    const qsizetype start = slashes + 3;
    qsizetype end = start;
    while (end < address.size() && address[end] != u'/' && address[end] != u'?' && address[end] != u'#')
        ++end;
    const QStringView authority = QStringView(address).mid(start, end - start);
    const qsizetype at = authority.lastIndexOf(u'@');
    const QStringView hostPort = authority.mid(at + 1);
    const qsizetype colon = hostPort.startsWith(u'[') ? -1 : hostPort.lastIndexOf(u':');
    const QStringView host = colon < 0 ? hostPort : hostPort.left(colon);
    QString ace = host.toString();
    if (!isAscii(host)) {
        ace = QString::fromLatin1(QUrl::toAce(host.toString()));
        if (ace.isEmpty())
            return std::nullopt;
    }
    return percentEncoded(QStringView(address).left(start)) + percentEncoded(authority.left(at + 1)) + ace
           + (colon < 0 ? QString() : percentEncoded(hostPort.mid(colon)))
           + percentEncoded(QStringView(address).mid(end));
}

// The query names kept for host `host` (lower case): its site's, or none.
const QStringList* keptNames(const QString& host)
{
    for (const URLCleaner::KeptQuery& site : URLCleaner::keptQueryNames())
        if (host == site.host
            || (host.size() > site.host.size() && host.endsWith(site.host)
                && host[host.size() - site.host.size() - 1] == u'.'))
            return &site.names;
    return nullptr;
}

} // namespace

const std::vector<URLCleaner::KeptQuery>& URLCleaner::keptQueryNames()
{
    static const std::vector<KeptQuery> sites{
        {QStringLiteral("figma.com"), {QStringLiteral("node-id")}},
        {QStringLiteral("youtube.com"), {QStringLiteral("v"), QStringLiteral("list"), QStringLiteral("t")}},
        {QStringLiteral("youtu.be"), {QStringLiteral("t")}},
        {QStringLiteral("github.com"), {QStringLiteral("tab")}},
        {QStringLiteral("notion.so"), {QStringLiteral("p")}},
        {QStringLiteral("atlassian.net"), {QStringLiteral("selectedIssue")}},
        {QStringLiteral("google.com"), {QStringLiteral("tab")}},
    };
    return sites;
}

std::optional<QString> URLCleaner::clean(const QString& written)
{
    const std::optional<QString> ascii = asciiAddress(written);
    if (!ascii || !isAddressText(*ascii))
        return std::nullopt;
    const QString& address = *ascii;
    const qsizetype colon = address.indexOf(u':');
    const QStringView text(address);
    const QStringView scheme = text.left(std::max<qsizetype>(colon, 0));
    if (colon <= 0 || !isSchemeText(scheme))
        return std::nullopt;
    const QString lowerScheme = scheme.toString().toLower();
    if (lowerScheme != QLatin1String("http") && lowerScheme != QLatin1String("https"))
        return std::nullopt;
    // scheme "://" authority path ["?" query] ["#" fragment]
    if (!text.mid(colon + 1).startsWith(u"//"))
        return std::nullopt;
    const qsizetype authorityStart = colon + 3;
    qsizetype authorityEnd = authorityStart;
    while (authorityEnd < text.size() && text[authorityEnd] != u'/' && text[authorityEnd] != u'?'
           && text[authorityEnd] != u'#')
        ++authorityEnd;
    QStringView authority = text.mid(authorityStart, authorityEnd - authorityStart);
    if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0)
        authority = authority.mid(at + 1); // the user and password go
    // host [":" port], the host possibly an IPv6 literal in brackets
    const qsizetype bracket = authority.startsWith(u'[') ? authority.indexOf(u']') : 0;
    if (bracket < 0)
        return std::nullopt;
    const qsizetype portColon = authority.indexOf(u':', bracket);
    const QStringView host = portColon < 0 ? authority : authority.left(portColon);
    if (portColon >= 0)
        for (QChar c : authority.mid(portColon + 1))
            if (!c.isDigit())
                return std::nullopt;
    if (host.isEmpty())
        return std::nullopt;

    const qsizetype hash = text.indexOf(u'#', authorityEnd);
    const QStringView beforeFragment = hash < 0 ? text.mid(authorityEnd) : text.mid(authorityEnd, hash - authorityEnd);
    const qsizetype question = beforeFragment.indexOf(u'?');
    const QStringView path = question < 0 ? beforeFragment : beforeFragment.left(question);

    QString out = scheme.toString() + QStringLiteral("://") + authority.toString() + path.toString();
    if (question >= 0) {
        if (const QStringList* kept = keptNames(host.toString().toLower())) {
            QStringList items;
            for (QStringView item : beforeFragment.mid(question + 1).split(u'&'))
                if (kept->contains(itemName(item)))
                    items.append(item.toString());
            if (!items.isEmpty())
                out += QLatin1Char('?') + items.join(QLatin1Char('&'));
        }
    }
    return out.size() <= kMaxLength ? out : firstCharacters(out, kMaxLength);
}

} // namespace tavrin
