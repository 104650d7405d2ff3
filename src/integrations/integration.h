#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// One supported application: how its windows are read and what a resumed
// workspace brings back of them.
struct Integration {
    // The integrations pane's filter groups, in this order; stored by their
    // raw text.
    enum class Category { browsers, code, terminals, docs, chat };
    // How the application's windows are read.
    enum class How {
        browser,
        vscode,
        jetbrains,
        document,
        terminal,
        iterm,
        titlePath,
        finder,
        obsidian,
        appOnly,
        chatStatus
    };

    QString app;                     // compared with its running application's name
    std::optional<QString> bundleID; // only for the applications read by scripting
    Category category = Category::docs;
    How how = How::appOnly;
    QString bringsBack;                 // the pane's sentence for it
    std::optional<QString> processName; // another name its windows may be reported under

    // How the application is known on Linux (empty elsewhere).
    QStringList otherNames;  // its desktop entries' names and its windows' classes
    QStringList desktopIds;  // its desktop entries, in preference order
    QStringList executables; // its programs, by file name
    QString profiles;        // a browser's folder of profiles, under the home folder

    // Whether reading it scripts the application, under the user's consent.
    bool needsAutomation() const;

    // "Browsers", "Code", "Terminals", "Docs", "Chat".
    static QString rawValue(Category category);
    // None for any other text.
    static std::optional<Category> categoryFromRaw(const QString& raw);

    bool operator==(const Integration&) const = default;
};

// Hashing over all fields.
size_t qHash(const Integration& integration, size_t seed = 0);

} // namespace tavrin
