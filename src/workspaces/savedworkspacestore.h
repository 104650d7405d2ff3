#pragma once

#include "workspaces/savedworkspace.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

namespace tavrin {

// The one reader and writer of the saved workspaces ("savedWorkspaces": data
// holding a JSON array, newest first), for every component but the settings
// export and import.
//
// Nothing the user saved is lost to a value this version cannot read: reading
// keeps every workspace that decodes and drops only those that do not, and a
// write over a stored value that did not decode completely first copies it,
// unchanged and of whatever type, to "savedWorkspaces.unreadable" — or, when
// that holds an earlier, different copy, to "savedWorkspaces.unreadable.2",
// ".3" and so on (a string is copied as its UTF-8 bytes).
class SavedWorkspaceStore {
public:
    static inline const QString kKey = QStringLiteral("savedWorkspaces");
    static inline const QString kUnreadableKey = QStringLiteral("savedWorkspaces.unreadable");
    static constexpr int kMaxSaved = 15;
    static constexpr int kMaxAutomaticNames = 3;
    static constexpr int kMaxKeptByUpdate = 12;

    // Newest `savedAt` first (equal times in stored order); empty when the
    // key is missing or holds no JSON array. Every change below starts from
    // this order.
    static QList<SavedWorkspace> load();

    // The command bar's save: replaces every workspace of the same name
    // regardless of case, puts the new one first, keeps at most 15, writes,
    // then refreshes the intents.
    static void save(const SavedWorkspace& workspace);

    // The sessions' save of an automatic workspace: replaces the newest
    // automatic one when it holds the same applications, and any automatic
    // one of exactly the same name; keeps automatic workspaces only under the
    // three newest automatic names and at most 12 others; writes, then
    // refreshes the intents.
    static void update(const SavedWorkspace& workspace);
    // The workspace an update with an automatic workspace of this name and
    // these applications replaces: the automatic one of that name, else the
    // newest automatic one when it holds the same applications; none when
    // it replaces none.
    static std::optional<SavedWorkspace> replacedBy(const QString& name, const QStringList& apps);

    // Removes the workspaces of exactly this name and writes the list; the
    // intents are not refreshed.
    static void remove(const QString& name);

private:
    struct Stored {
        QList<SavedWorkspace> workspaces;
        std::optional<QVariant> raw; // the stored value when it did not decode completely
    };
    static Stored read();
    // Reads the list, changes it and writes it back, setting aside first a
    // stored value that did not decode completely.
    static void rewrite(const std::function<void(QList<SavedWorkspace>&)>& change);
    static QList<SavedWorkspace> mergedSession(QList<SavedWorkspace> list, SavedWorkspace session);
    static void refreshIntents();
};

} // namespace tavrin
