#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// What one of the system's scripts asks of another application, recognised
// by its form: the simulated desktop checks that a call's script asks what
// the call says, and answers nothing for any other script.
struct SimScriptRequest {
    enum class Kind {
        windowTabs,    // each window's front tab and every tab's address
        terminalTTYs,  // each window's front tab's terminal device
        sessionPaths,  // each window's current session's folder
        finderFolders, // the folder each window shows
        frontTabs,     // the front tabs[, with every window's tab titles]
        tabTitles,     // the front tabs' titles and every window's tab titles
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
    static std::optional<SimScriptRequest> parse(const QString& source);
};

} // namespace tavrin
