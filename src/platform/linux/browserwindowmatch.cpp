#include "platform/linux/browserwindowmatch.h"

#include <cmath>

namespace tavrin::BrowserWindowMatch {

namespace {

// Firefox cuts the tab's part of its window title to this many characters.
constexpr qsizetype kCut = 256;

// What each key adds to a fit: a title that shows the front tab outweighs a
// frame (which can be older than a move), a frame in the same place one of
// the same size only, and the window in use last weighs least.
constexpr int kFrontTab = 6;
constexpr int kOtherTab = 3;
constexpr int kSamePlace = 4;
constexpr int kSameSize = 2;
constexpr int kLastUsed = 1;

// Whether a window titled `window` shows a tab titled `tab`: the tab's
// title, whole or cut, alone or followed by the browser's part.
bool shows(const QString& window, const QString& tab)
{
    if (tab.isEmpty())
        return false;
    for (const QString& shown : {tab, tab.left(kCut)}) {
        if (!window.startsWith(shown))
            continue;
        const QStringView rest = QStringView(window).mid(shown.size());
        if (rest.isEmpty() || rest.startsWith(u" \u2014 ") || rest.startsWith(u" - "))
            return true;
    }
    return false;
}

// Browsers write whole pixels; a pixel either way is the same.
bool near(double a, double b) { return std::abs(a - b) <= 1; }

// How the session window's bounds fit a rectangle of the window on screen.
int boundsFit(const Rect& bounds, const std::optional<Rect>& shown)
{
    if (!shown || !near(bounds.width, shown->width) || !near(bounds.height, shown->height))
        return 0;
    return near(bounds.x, shown->x) && near(bounds.y, shown->y) ? kSamePlace : kSameSize;
}

struct Fit {
    int weight = 0;
    qsizetype titleLength = 0; // of the tab the title shows: the longer wins
    int tab = -1;              // the tab the title shows
    bool betterThan(const Fit& o) const { return weight != o.weight ? weight > o.weight : titleLength > o.titleLength; }
    bool sameAs(const Fit& o) const { return weight == o.weight && titleLength == o.titleLength; }
};

// How well the window on screen (the `rank`-th of those that can be in the
// file, front first) fits the session window; none when it cannot be it.
std::optional<Fit> fit(const OnScreen& shown, int rank, const BrowserWindow& window)
{
    Fit f;
    bool titled = false, untitled = false;
    int titleWeight = 0;
    for (int i = 0; i < window.tabs.size(); ++i) {
        const QString& title = window.tabs[i].title;
        (title.isEmpty() ? untitled : titled) = true;
        if (!shows(shown.title, title))
            continue;
        const int weight = i == window.front ? kFrontTab : kOtherTab;
        const qsizetype length = std::min(title.size(), kCut);
        if (weight > titleWeight || (weight == titleWeight && length > f.titleLength)) {
            titleWeight = weight;
            f.titleLength = length;
            f.tab = i;
        }
    }
    // Every tab titled and none shown: another window.
    if (titled && !untitled && f.tab < 0 && !shown.title.isEmpty())
        return std::nullopt;
    f.weight = titleWeight;
    if (window.bounds)
        f.weight += std::max(boundsFit(*window.bounds, shown.frame), boundsFit(*window.bounds, shown.client));
    if (window.lastUsed >= 0 && window.lastUsed == rank)
        f.weight += kLastUsed;
    return f;
}

// The one best of `fits` among those not taken; -1 when there is none or two
// fit equally well.
int onlyBest(const QList<const std::optional<Fit>*>& fits, const QList<bool>& taken)
{
    int best = -1;
    bool tie = false;
    for (int i = 0; i < fits.size(); ++i) {
        const std::optional<Fit>& f = *fits[i];
        if (taken[i] || !f)
            continue;
        if (best < 0 || f->betterThan(**fits[best])) {
            best = i;
            tie = false;
        } else if (f->sameAs(**fits[best])) {
            tie = true;
        }
    }
    return tie ? -1 : best;
}

} // namespace

QString tabTitle(const QString& windowTitle)
{
    const qsizetype dash =
        std::max(windowTitle.lastIndexOf(QStringLiteral(" \u2014 ")), windowTitle.lastIndexOf(QStringLiteral(" - ")));
    return dash < 0 ? windowTitle : windowTitle.left(dash);
}

bool isPrivate(const QString& windowTitle) { return windowTitle.endsWith(QLatin1String(" Private Browsing")); }

QList<std::optional<BrowserWindow>> match(const QList<OnScreen>& windows, const QList<BrowserWindow>& session)
{
    const qsizetype count = windows.size();
    // fits[s][w]: window on screen s as session window w.
    QList<QList<std::optional<Fit>>> fits(count, QList<std::optional<Fit>>(session.size()));
    int rank = 0;
    for (qsizetype s = 0; s < count; ++s) {
        if (isPrivate(windows[s].title))
            continue;
        for (qsizetype w = 0; w < session.size(); ++w)
            fits[s][w] = fit(windows[s], rank, session[w]);
        ++rank;
    }
    QList<bool> shownTaken(count, false), sessionTaken(session.size(), false);
    QList<int> paired(count, -1);
    const auto row = [&](qsizetype s) {
        QList<const std::optional<Fit>*> out;
        for (const auto& f : fits[s])
            out.append(&f);
        return out;
    };
    const auto column = [&](qsizetype w) {
        QList<const std::optional<Fit>*> out;
        for (qsizetype s = 0; s < count; ++s)
            out.append(&fits[s][w]);
        return out;
    };
    // Each pass pairs the windows that are each other's only best among
    // those left; a pair taken can leave another the only best.
    for (bool progress = true; progress;) {
        progress = false;
        for (qsizetype s = 0; s < count; ++s) {
            if (shownTaken[s])
                continue;
            const int w = onlyBest(row(s), sessionTaken);
            if (w < 0 || onlyBest(column(w), shownTaken) != s)
                continue;
            shownTaken[s] = sessionTaken[w] = true;
            paired[s] = w;
            progress = true;
        }
    }
    QList<std::optional<BrowserWindow>> out(count);
    for (qsizetype s = 0; s < count; ++s) {
        if (paired[s] < 0)
            continue;
        BrowserWindow window = session[paired[s]];
        const Fit& f = *fits[s][paired[s]];
        if (f.tab >= 0)
            window.front = f.tab;
        else if (BrowserTab* front =
                     window.front >= 0 && window.front < window.tabs.size() ? &window.tabs[window.front] : nullptr;
                 front && front->title.isEmpty() && !windows[s].title.isEmpty())
            front->title = tabTitle(windows[s].title); // not yet written
        window.windowTitle = windows[s].title;
        out[s] = std::move(window);
    }
    return out;
}

} // namespace tavrin::BrowserWindowMatch
