#include "workspaces/planaddress.h"

#include "workspaces/windowcontent.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace tavrin {

std::optional<QString> openableAddress(const QString& address, AddressTrust trust)
{
    if (isWebAddress(address) || (trust == AddressTrust::saved && isFileAddress(address)))
        return address.trimmed();
    return std::nullopt;
}

std::optional<QString> cleanedWebAddress(const QString& address)
{
    if (!isWebAddress(address))
        return std::nullopt;
    if (WindowContent* content = WindowContent::installed()) {
        auto cleaned = content->cleanWebAddress(address.trimmed());
        if (cleaned && !isWebAddress(*cleaned))
            return std::nullopt;
        return cleaned;
    }
    return address.trimmed();
}

QString addressDetail(const std::optional<QString>& address)
{
    QString newWindow = QStringLiteral("New window");
    if (!address || address->trimmed().isEmpty())
        return newWindow;
    const QUrl url = parseAddress(*address);
    if (!url.isValid())
        return newWindow;
    if (url.isLocalFile()) {
        const QString path = QDir::cleanPath(url.toLocalFile());
        const QString name = QFileInfo(path).fileName();
        return name.isEmpty() ? path : name;
    }
    return url.host().isEmpty() ? address->trimmed() : displayHost(url);
}

} // namespace tavrin
