#include "workspaces/savedworkspacestore.h"

#include "platform/defaults.h"
#include "platform/platform.h"
#include "workspaces/shortcutparameters.h"

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

std::optional<SavedWorkspace> SavedWorkspaceStore::replacedBy(const QString& name, const QStringList& apps)
{
    const QList<SavedWorkspace> list = load();
    const auto sameName = std::find_if(list.cbegin(), list.cend(),
                                       [&](const SavedWorkspace& w) { return w.isAutomatic() && w.name == name; });
    if (sameName != list.cend())
        return *sameName;
    const auto newest =
        std::find_if(list.cbegin(), list.cend(), [](const SavedWorkspace& w) { return w.isAutomatic(); });
    if (newest != list.cend() && sorted(newest->apps) == sorted(apps))
        return *newest;
    return std::nullopt;
}

QList<SavedWorkspace> SavedWorkspaceStore::mergedSession(QList<SavedWorkspace> list, SavedWorkspace workspace)
{
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
