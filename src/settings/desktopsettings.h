#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace tavrin {

// The desktop's own settings application, opened where the panes point the
// user at a setting of the desktop rather than of Tavrin (its edge tiling).
// Which application is tried first follows the running desktop.
class DesktopSettings {
public:
    // Where a program is installed, or empty.
    using Find = std::function<QString(const QString& program)>;
    // Starts a program without waiting for it; false when it didn't start.
    using Start = std::function<bool(const QString& path, const QStringList& arguments)>;

    struct Candidate {
        QString desktop;   // as XDG_CURRENT_DESKTOP names it
        QString program;
        QStringList windowArguments; // the page with window tiling
    };

    // Looks in the search path and starts a detached process.
    DesktopSettings() : DesktopSettings(Find{}, Start{}, QString{}) {}
    // Empty functions: the search path and a detached process; an empty
    // desktop: XDG_CURRENT_DESKTOP.
    DesktopSettings(Find find, Start start, QString currentDesktop = {});

    // Opens the desktop's settings where windows and tiling are set. False
    // when no settings application was found or none started.
    bool openWindowSettings() const;

    // The applications tried, in order: those of the running desktop first.
    QList<Candidate> candidates() const;

    // The line shown when nothing could be opened.
    static QString noSettingsNote();

private:
    Find find_;
    Start start_;
    QString currentDesktop_;
};

} // namespace tavrin
