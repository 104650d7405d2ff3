#include "workspaces/earlieritems.h"

#include <QHash>

namespace tavrin::EarlierItems {

namespace {

bool holdsSomething(const SavedItem& item) { return item.url || item.tabs; }

bool sameTitle(const SavedItem& earlier, const QString& title)
{
    if (title.isEmpty())
        return false;
    return (earlier.title && *earlier.title == title)
           || (earlier.tabTitle && !earlier.tabTitle->isEmpty() && title.startsWith(*earlier.tabTitle));
}

} // namespace

QList<SavedItem> keep(QList<SavedItem> now, const QStringList& titles, const QList<bool>& mayKeep,
                      const QList<SavedItem>& earlier)
{
    QList<bool> taken(earlier.size(), false);
    const auto takeFirst = [&](const auto& fits) {
        for (qsizetype e = 0; e < earlier.size(); ++e)
            if (!taken[e] && fits(earlier[e])) {
                taken[e] = true;
                return e;
            }
        return qsizetype(-1);
    };
    // The windows read now are the earlier ones they show.
    QList<bool> open(now.size(), false);
    for (qsizetype i = 0; i < now.size(); ++i) {
        const SavedItem& item = now[i];
        open[i] = mayKeep.value(i) && !holdsSomething(item);
        if (!holdsSomething(item))
            continue;
        takeFirst([&](const SavedItem& e) {
            return e.app == item.app && ((item.url && e.url == item.url) || sameTitle(e, titles.value(i)));
        });
    }
    // Those read empty, by their titles.
    for (qsizetype i = 0; i < now.size(); ++i) {
        if (!open[i])
            continue;
        const qsizetype e =
            takeFirst([&](const SavedItem& e) { return e.app == now[i].app && sameTitle(e, titles.value(i)); });
        if (e >= 0) {
            open[i] = false;
            if (holdsSomething(earlier[e]))
                now[i] = earlier[e];
        }
    }
    // The rest, application by application, in order where they match in
    // number.
    QHash<QString, QList<qsizetype>> left, leftEarlier;
    for (qsizetype i = 0; i < now.size(); ++i)
        if (open[i])
            left[now[i].app].append(i);
    for (qsizetype e = 0; e < earlier.size(); ++e)
        if (!taken[e])
            leftEarlier[earlier[e].app].append(e);
    for (auto it = left.cbegin(); it != left.cend(); ++it) {
        const QList<qsizetype> before = leftEarlier.value(it.key());
        if (before.size() != it->size())
            continue;
        for (qsizetype k = 0; k < before.size(); ++k)
            if (holdsSomething(earlier[before[k]]))
                now[(*it)[k]] = earlier[before[k]];
    }
    return now;
}

QList<SavedItem> missing(const QList<SavedItem>& now, const QList<SavedItem>& earlier)
{
    QHash<QString, int> short_; // by application: how many fewer now
    for (const SavedItem& e : earlier)
        ++short_[e.app];
    for (const SavedItem& item : now)
        --short_[item.app];
    QList<bool> taken(earlier.size(), false);
    for (const SavedItem& item : now)
        for (qsizetype e = 0; e < earlier.size(); ++e)
            if (!taken[e] && earlier[e].app == item.app
                && ((item.url && earlier[e].url == item.url)
                    || (item.title && !item.title->isEmpty() && earlier[e].title == item.title))) {
                taken[e] = true;
                break;
            }
    QList<SavedItem> out;
    for (qsizetype e = 0; e < earlier.size(); ++e)
        if (!taken[e] && short_.value(earlier[e].app) > 0) {
            --short_[earlier[e].app];
            out.append(earlier[e]);
        }
    return out;
}

} // namespace tavrin::EarlierItems
