#pragma once

#include "workspaces/shortcutparameters.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace tavrin {

// One ready-made shortcut: the intent it runs, its phrases, short title and
// image. In a phrase, "${applicationName}" stands for the application's name
// and "${name}" for the intent's parameter of that name.
struct AppShortcut {
    QString intent;  // "ApplyLayoutIntent", …
    QString command; // the `tavrin intent` command that runs it
    QString usage;   // that command's arguments
    QStringList phrases;
    QString shortTitle;
    QString systemImageName;
};

// The shortcuts the application offers for its intents, in order, and the
// refresh of the values their phrases can take (saved workspaces, routines),
// which the intent service passes on as its "changed" signal. The program's
// is installed as its shortcut parameters at start-up.
class TavrinShortcuts : public QObject, public ShortcutParameters {
    Q_OBJECT
public:
    static inline const QString kApplicationName = QStringLiteral("${applicationName}");

    using QObject::QObject;

    static const QList<AppShortcut>& appShortcuts();

    // A phrase with the application's name put in and each parameter shown
    // as <name>.
    static QString spoken(const QString& phrase, const QString& applicationName = QStringLiteral("Tavrin"));

    // The values the phrases can take have changed.
    void update() override { emit parametersChanged(); }

signals:
    void parametersChanged();
};

} // namespace tavrin
