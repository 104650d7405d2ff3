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

bool isPrivate(const QString& windowTitle) { return windowTitle.endsWith(QLatin1String(" Private Browsing")); }

namespace {

struct Best {
    QList<int> windows; // the session windows that score best, all equally
    int tab = 0;        // the tab the title shows in the first of them
};

// The session windows not yet `taken` that `title` shows best.
Best bestFor(const QString& title, const QList<BrowserWindow>& session, const QList<bool>& taken)
{
    Best best;
    qsizetype bestScore = 0;
    for (int w = 0; w < session.size(); ++w) {
        int tab = 0;
        const qsizetype s = taken[w] ? 0 : score(title, session[w], &tab);
        if (s == 0 || s < bestScore)
            continue;
        if (s > bestScore)
            best = Best{{}, tab};
        bestScore = s;
        best.windows.append(w);
    }
    return best;
}

} // namespace

QList<BrowserWindow> match(const QStringList& windowTitles, QList<BrowserWindow> session)
{
    QList<int> paired(windowTitles.size(), -1);
    QList<bool> taken(session.size(), false);
    // Titles that cannot be told apart: their session windows go to no one.
    QList<bool> ambiguous(windowTitles.size(), false);
    for (qsizetype t = 0; t < windowTitles.size(); ++t) {
        if (isPrivate(windowTitles[t]))
            continue;
        const Best best = bestFor(windowTitles[t], session, QList<bool>(session.size(), false));
        ambiguous[t] = windowTitles.count(windowTitles[t]) > 1 || best.windows.size() > 1;
        if (ambiguous[t])
            for (int w : best.windows)
                taken[w] = true;
    }
    for (qsizetype t = 0; t < windowTitles.size(); ++t) {
        if (ambiguous[t] || isPrivate(windowTitles[t]))
            continue;
        const Best best = bestFor(windowTitles[t], session, taken);
        if (best.windows.size() != 1)
            continue;
        const int w = best.windows.front();
        taken[w] = true;
        paired[t] = w;
        session[w].front = best.tab;
    }
    // One window left on each side, the session's with its front tab
    // untitled: the same window, its title not yet written.
    QList<qsizetype> openTitles;
    for (qsizetype t = 0; t < windowTitles.size(); ++t)
        if (paired[t] < 0 && !ambiguous[t] && !isPrivate(windowTitles[t]))
            openTitles.append(t);
    if (openTitles.size() == 1 && taken.count(false) == 1) {
        const int w = int(taken.indexOf(false));
        BrowserTab* front = session[w].front >= 0 && session[w].front < session[w].tabs.size()
                                ? &session[w].tabs[session[w].front]
                                : nullptr;
        if (front && front->title.isEmpty()) {
            front->title = tabTitle(windowTitles[openTitles.front()]);
            paired[openTitles.front()] = w;
        }
    }
    QList<BrowserWindow> out;
    for (qsizetype t = 0; t < windowTitles.size(); ++t) {
        if (paired[t] < 0)
            continue;
        out.append(session[paired[t]]);
        out.back().windowTitle = windowTitles[t];
    }
    return out;
}

} // namespace tavrin::BrowserWindowMatch
