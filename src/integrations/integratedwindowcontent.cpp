#include "integrations/integratedwindowcontent.h"

#include "integrations/browserurls.h"
#include "integrations/integrations.h"
#include "integrations/urlcleaner.h"
#include "platform/clock.h"

#include <functional>

namespace tavrin {

QCoro::Task<BrowserTabMap> IntegratedWindowContent::readTabs(QSet<QString> apps, bool otherTitles, double timeout)
{
    return BrowserURLs::tabs(std::move(apps), otherTitles, timeout);
}

bool IntegratedWindowContent::restoresTabs(const QString& app)
{
    const Integration* row = Integrations::byName(app);
    return row && row->how == Integration::How::browser && !Integrations::isOff(app);
}

bool IntegratedWindowContent::restoreStartsBrowser() { return !Integrations::scriptsApplications(); }

int IntegratedWindowContent::windowsRestoredOnStart(const QString& app)
{
    return restoresTabs(app) ? Integrations::windowsRestoredOnStart(app) : 0;
}

QCoro::Task<bool> IntegratedWindowContent::restoreTabs(QString app, QStringList urls, int front)
{
    std::function<bool()> work = [app = std::move(app), urls = std::move(urls), front] {
        return Integrations::restoreTabs(app, urls, front);
    };
    co_return co_await clock_.background(std::move(work));
}

QCoro::Task<bool> IntegratedWindowContent::selectTab(QString app, QString windowTitle, QString tab)
{
    std::function<bool()> work = [app = std::move(app), windowTitle = std::move(windowTitle), tab = std::move(tab)] {
        return BrowserURLs::restoreScript(app, windowTitle, tab);
    };
    co_return co_await clock_.background(std::move(work));
}

std::optional<QString> IntegratedWindowContent::cleanWebAddress(const QString& address)
{
    return URLCleaner::clean(address);
}

QCoro::Task<QList<SavedItem>> IntegratedWindowContent::capture(std::vector<AXWindow> windows,
                                                               std::optional<SaveContext> save)
{
    return Integrations::capture(std::move(windows), true, std::move(save));
}

} // namespace tavrin
