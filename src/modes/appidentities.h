#pragma once

#include "platform/runningapp.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace tavrin {

// The applications that meeting mode, Share-safe and the routines list by
// name (the call clients, the notes apps), as the same applications are known
// on a Linux desktop too: the name of their desktop entry, their window class
// when no entry is installed, their desktop id (a Flatpak's among them). A
// listed name is always its own identity, so a name that is the same
// everywhere needs no row; an application that exists only on another
// system has none here and matches nothing but its own name.
class AppIdentities {
public:
    // The listed name `app` is, among `listed`: by its own name, else by a
    // Linux identity of one of them; empty when it is none of them.
    template <class Names>
    static QString listedAs(const RunningApp& app, const Names& listed)
    {
        if (app.localizedName.isEmpty())
            return {};
        if (listed.contains(app.localizedName))
            return app.localizedName;
        for (const QString& name : listed)
            if (isLinuxIdentityOf(app, name))
                return name;
        return {};
    }

    // Every listed name's other identities: desktop entry names and window
    // classes (as an application is named when it has no entry), desktop ids.
    static const QHash<QString, QStringList>& linuxIdentities();

private:
    static bool isLinuxIdentityOf(const RunningApp& app, const QString& listedName);
};

} // namespace tavrin
