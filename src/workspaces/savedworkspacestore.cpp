#include "workspaces/savedworkspacestore.h"

#include "platform/defaults.h"
#include "platform/platform.h"
#include "workspaces/shortcutparameters.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSet>
#include <algorithm>

namespace tavrin {

namespace {
Defaults& defaults() { return *Platform::current().defaults; }

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end());
    return list;
}
} // namespace

SavedWorkspaceStore::Stored SavedWorkspaceStore::read()
{
    Stored stored;
    const auto value = defaults().value(kKey);
    if (!value)
        return stored;
    const QByteArray bytes = value->typeId() == QMetaType::QByteArray ? value->toByteArray() : QByteArray();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (value->typeId() != QMetaType::QByteArray || error.error != QJsonParseError::NoError || !document.isArray()) {
        // Not ours to read: kept as it is for the first write to set aside.
        stored.raw = value->typeId() == QMetaType::QString ? QVariant(value->toString().toUtf8()) : *value;
        return stored;
    }
    for (const QJsonArray items = document.array(); const QJsonValue element : items) {
        if (auto workspace = SavedWorkspace::fromJson(element))
            stored.workspaces.append(std::move(*workspace));
        else
            stored.raw = bytes;
    }
    // Newest first, whatever order another writer (an import, an older
    // version) left them in; equal times keep their stored order.
    std::stable_sort(stored.workspaces.begin(), stored.workspaces.end(),
                     [](const SavedWorkspace& a, const SavedWorkspace& b) { return a.savedAt > b.savedAt; });
    return stored;
}

QList<SavedWorkspace> SavedWorkspaceStore::load() { return read().workspaces; }

void SavedWorkspaceStore::rewrite(const std::function<void(QList<SavedWorkspace>&)>& change)
{
    const Stored stored = read();
    QList<SavedWorkspace> list = stored.workspaces;
    change(list);
    if (stored.raw)
        defaults().keepAside(kUnreadableKey, *stored.raw);
    QJsonArray array;
    for (const SavedWorkspace& w : list)
        array.append(w.toJson());
    defaults().setValue(kKey, QJsonDocument(array).toJson(QJsonDocument::Compact));
}

void SavedWorkspaceStore::refreshIntents() { ShortcutParameters::refresh(); }

void SavedWorkspaceStore::save(const SavedWorkspace& workspace)
{
    rewrite([&](QList<SavedWorkspace>& list) {
        list.removeIf(
            [&](const SavedWorkspace& w) { return w.name.compare(workspace.name, Qt::CaseInsensitive) == 0; });
        list.prepend(workspace);
        if (list.size() > kMaxSaved)
            list.resize(kMaxSaved);
    });
    refreshIntents();
}

void SavedWorkspaceStore::update(const SavedWorkspace& workspace)
{
    rewrite([&](QList<SavedWorkspace>& list) { list = mergedSession(std::move(list), workspace); });
    refreshIntents();
}

void SavedWorkspaceStore::keepWhatWasRead(SavedWorkspace& session, const SavedWorkspace& earlier)
{
    if (!session.items || !earlier.items)
        return;
    const auto readNothing = [](const SavedItem& item) { return !item.url && !item.tabs; };
    QHash<QString, QList<const SavedItem*>> earlierOf; // each application's items, in order
    for (const SavedItem& item : *earlier.items)
        earlierOf[item.app].append(&item);
    QHash<QString, QList<SavedItem*>> nowOf;
    for (SavedItem& item : *session.items)
        nowOf[item.app].append(&item);
    for (auto it = nowOf.begin(); it != nowOf.end(); ++it) {
        const QList<const SavedItem*>& before = earlierOf.value(it.key());
        // Only an application none of whose windows was read (its read did
        // not run or did not end), with as many windows as before: where a
        // read ran, a window it found nothing for shows nothing (a private
        // window, one the titles could not tell).
        if (before.size() != it->size()
            || !std::all_of(it->cbegin(), it->cend(), [&](const SavedItem* item) { return readNothing(*item); }))
            continue;
        for (qsizetype i = 0; i < it->size(); ++i)
            *(*it)[i] = *before[i];
    }
}

QList<SavedWorkspace> SavedWorkspaceStore::mergedSession(QList<SavedWorkspace> list, SavedWorkspace workspace)
{
    // What the newest session of this name read is kept where this one read
    // nothing (a read that could not run, a window the read could not tell).
    const auto sameName = std::find_if(list.cbegin(), list.cend(), [&](const SavedWorkspace& w) {
        return w.isAutomatic() && w.name == workspace.name;
    });
    if (sameName != list.cend())
        keepWhatWasRead(workspace, *sameName);
    // The newest session with the same applications gives way to this one.
    const auto newestAutomatic =
        std::find_if(list.begin(), list.end(), [](const SavedWorkspace& w) { return w.isAutomatic(); });
    if (newestAutomatic != list.end() && sorted(newestAutomatic->apps) == sorted(workspace.apps))
        list.erase(newestAutomatic);
    list.removeIf([&](const SavedWorkspace& w) { return w.isAutomatic() && w.name == workspace.name; });
    list.prepend(workspace);

    // The names of the three newest sessions (the new one among them).
    QSet<QString> automaticNames;
    int automaticSeen = 0;
    for (const SavedWorkspace& w : list) {
        if (w.isAutomatic() && automaticSeen++ < kMaxAutomaticNames)
            automaticNames.insert(w.name);
    }
    QList<SavedWorkspace> kept;
    int others = 0;
    for (const SavedWorkspace& w : list) {
        if (w.isAutomatic() ? automaticNames.contains(w.name) : others++ < kMaxKeptByUpdate)
            kept.append(w);
    }
    return kept;
}

void SavedWorkspaceStore::remove(const QString& name)
{
    rewrite(
        [&](QList<SavedWorkspace>& list) { list.removeIf([&](const SavedWorkspace& w) { return w.name == name; }); });
}

} // namespace tavrin
