#pragma once

#include "platform/userfolders.h"

#include <QString>
#include <QStringList>

namespace tavrin {

// This platform's Shortcuts tool: the user's shortcuts are the executable
// files in "tavrin/shortcuts" under the configuration folder
// ($XDG_CONFIG_HOME, else ~/.config). `tavrin shortcuts list` prints their
// names one a line; `tavrin shortcuts run NAME` runs that file in place of
// the tool (so a time limit on the tool is one on the shortcut).
class ShortcutsFolder {
public:
    // Where the user's shortcuts are.
    static QString path(const UserFolders& folders);
    // The names of the executable files there, sorted: neither hidden files
    // nor names holding a control or direction character, a line break
    // included (which a listing could neither show nor keep apart).
    static QStringList names(const QString& folder);
    // The file of the shortcut called `name`, or empty when there is none
    // (never a file outside the folder).
    static QString file(const QString& folder, const QString& name);

    // The process entry for `tavrin shortcuts …` (argv[1] is "shortcuts").
    // Exit status: that of the shortcut run; 1 when it cannot be run; 2 for
    // wrong arguments.
    static int main(int argc, char** argv);
};

} // namespace tavrin
