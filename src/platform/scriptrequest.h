#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// What one of the system's scripts asks of another application, recognised
// by its form. The stand-ins for a scripting runtime (the simulated desktop,
// the Linux desktop) answer these and nothing else.
struct ScriptRequest {
    enum class Kind {
        windowTabs,    // per window: {front tab's title, its address, every tab's address}
        terminalTTYs,  // per window: {name, the front tab's terminal device}
        sessionPaths,  // per window: {name, the current session's folder}
        finderFolders, // per window: {name, the POSIX path of the folder shown}
        frontTabs,     // {front tabs' titles, their addresses[, every window's tab titles]}
        tabTitles,     // {front tabs' titles, every window's tab titles}
        openTabs,      // a new window with `urls`, the first in front
        selectTab,     // tab `tab` of window `window` to the front
    };

    Kind kind = Kind::windowTabs;
    QString app;
    bool otherTitles = false; // frontTabs: with every window's tab titles
    QStringList urls;         // openTabs
    int window = 0;           // selectTab: counted from 1, front to back
    int tab = 0;              // selectTab: counted from 1

    // The request a script's source makes; none for any other script.
    static std::optional<ScriptRequest> parse(const QString& source);
};

} // namespace tavrin
