#include "workspaces/webaddress.h"

namespace tavrin {

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

} // namespace tavrin
