#include "workspaces/webaddress.h"

#include <QSet>

namespace tavrin {

namespace {

// Whether one label of a host mixes scripts in a way that can imitate
// another name. Digits, hyphens and marks (Common, Inherited) go with any
// script.
bool mixesScripts(QStringView label)
{
    QSet<QChar::Script> scripts;
    for (const char32_t c : label.toUcs4()) {
        const QChar::Script script = QChar::script(c);
        if (script != QChar::Script_Common && script != QChar::Script_Inherited)
            scripts.insert(script);
    }
    if (scripts.size() <= 1)
        return false;
    // The combinations in which these languages are normally written.
    static const QList<QSet<QChar::Script>> kWritten{
        {QChar::Script_Latin, QChar::Script_Han, QChar::Script_Hiragana, QChar::Script_Katakana},
        {QChar::Script_Latin, QChar::Script_Han, QChar::Script_Bopomofo},
        {QChar::Script_Latin, QChar::Script_Han, QChar::Script_Hangul},
    };
    return std::none_of(kWritten.cbegin(), kWritten.cend(),
                        [&](const QSet<QChar::Script>& allowed) { return allowed.contains(scripts); });
}

} // namespace

QUrl parseAddress(const QString& address) { return QUrl(address.trimmed(), QUrl::StrictMode); }

bool isWebAddress(const QString& address)
{
    const QUrl url = parseAddress(address);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https") || scheme == QLatin1String("http");
}

bool isFileAddress(const QString& address)
{
    const QUrl url = parseAddress(address);
    return url.isValid() && url.isLocalFile() && !url.toLocalFile().isEmpty();
}

QString withoutUserInfo(const QString& address)
{
    QUrl url = parseAddress(address);
    if (!url.isValid() || !url.authority(QUrl::FullyEncoded).contains(u'@'))
        return address.trimmed();
    url.setUserInfo(QString());
    return url.toString(QUrl::FullyEncoded);
}

QString displayHost(const QUrl& url)
{
    QString ascii = url.host(QUrl::EncodeUnicode);
    const QString unicode = QUrl::fromAce(ascii.toLatin1(), QUrl::IgnoreIDNWhitelist);
    if (unicode.isEmpty())
        return ascii;
    const QList<QStringView> labels = QStringView(unicode).split(u'.');
    const bool spoofable = std::any_of(labels.cbegin(), labels.cend(), mixesScripts);
    return spoofable ? ascii : unicode;
}

} // namespace tavrin
