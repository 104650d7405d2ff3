#include "platform/linux/browserwindowmatch.h"

namespace tavrin::BrowserWindowMatch {

namespace {

constexpr qsizetype kCut = 256;

// Whether a window titled `window` shows a tab titled `tab`: the tab's
// title (perhaps cut) alone, or followed by the browser's part.
bool shows(const QString& window, const QString& tab)
{
    if (tab.isEmpty())
        return false;
    const QString shown = tab.left(kCut);
    if (!window.startsWith(shown))
        return false;
    const QStringView rest = QStringView(window).mid(shown.size());
    return rest.isEmpty() || rest.startsWith(u" \u2014 ") || rest.startsWith(u" - ");
}

// How well the window title shows the session window: its front tab best,
// then another tab; the longer title wins. The tab it shows goes to `tab`.
qsizetype score(const QString& title, const BrowserWindow& window, int* tab)
{
    qsizetype best = 0;
    for (int i = 0; i < window.tabs.size(); ++i) {
        if (!shows(title, window.tabs[i].title))
            continue;
        const qsizetype s = (i == window.front ? 2 * kCut + 2 : kCut + 1) + window.tabs[i].title.left(kCut).size();
        if (s > best) {
            best = s;
            *tab = i;
        }
    }
    return best;
}

} // namespace

QString tabTitle(const QString& windowTitle)
{
    const qsizetype dash =
        std::max(windowTitle.lastIndexOf(QStringLiteral(" \u2014 ")), windowTitle.lastIndexOf(QStringLiteral(" - ")));
    return dash < 0 ? windowTitle : windowTitle.left(dash);
}

QList<BrowserWindow> match(const QStringList& windowTitles, QList<BrowserWindow> session)
{
    QList<int> paired(windowTitles.size(), -1);
    QList<bool> used(session.size(), false);
    for (qsizetype t = 0; t < windowTitles.size(); ++t) {
        qsizetype best = 0;
        int bestWindow = -1, bestTab = 0;
        for (int w = 0; w < session.size(); ++w) {
            int tab = 0;
            const qsizetype s = used[w] ? 0 : score(windowTitles[t], session[w], &tab);
            if (s > best) {
                best = s;
                bestWindow = w;
                bestTab = tab;
            }
        }
        if (bestWindow < 0)
            continue;
        used[bestWindow] = true;
        paired[t] = bestWindow;
        session[bestWindow].front = bestTab;
    }
    // One window left on each side: the same window, its front tab untitled
    // in the file or not yet written.
    if (paired.count(-1) == 1 && used.count(false) == 1) {
        const qsizetype t = paired.indexOf(-1);
        const int w = int(used.indexOf(false));
        paired[t] = w;
        BrowserTab* front = session[w].front >= 0 && session[w].front < session[w].tabs.size()
                                ? &session[w].tabs[session[w].front]
                                : nullptr;
        if (front && front->title.isEmpty())
            front->title = tabTitle(windowTitles[t]);
    }
    QList<BrowserWindow> out;
    for (int w : paired)
        if (w >= 0)
            out.append(session[w]);
    return out;
}

} // namespace tavrin::BrowserWindowMatch
