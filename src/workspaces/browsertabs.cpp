#include "workspaces/browsertabs.h"

namespace tavrin {

const BrowserWindowTabs* tabsMatching(const QString& windowTitle, const QList<BrowserWindowTabs>& windows)
{
    if (windowTitle.isEmpty())
        return nullptr;
    for (const BrowserWindowTabs& w : windows)
        if (w.title == windowTitle)
            return &w;
    for (const BrowserWindowTabs& w : windows)
        if (!w.title.isEmpty() && windowTitle.startsWith(w.title))
            return &w;
    return nullptr;
}

} // namespace tavrin
