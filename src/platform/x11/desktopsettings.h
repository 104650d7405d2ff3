#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace tavrin {

// The desktop's own settings application, which settings addresses open.
// Which application is tried first follows the running desktop.
class DesktopSettings {
public:
    // Where a program is installed, or empty.
    using Find = std::function<QString(const QString& program)>;
    // Starts a program without waiting for it; false when it didn't start.
    using Start = std::function<bool(const QString& path, const QStringList& arguments)>;

    struct Candidate {
        QString desktop; // as XDG_CURRENT_DESKTOP names it
        QString program;
        QStringList windowArguments; // the page with window tiling
    };

    // Empty functions: the search path and a detached process; an empty
    // desktop: XDG_CURRENT_DESKTOP.
    DesktopSettings(Find find, Start start, QString currentDesktop = {});

    // Opens the settings at the page a settings address names: where windows
    // and tiling are set for the desktop page, else at their start. False
    // when no settings application was found or none started.
    bool open(const QUrl& address) const;

    // The applications tried, in order: those of the running desktop first.
    QList<Candidate> candidates() const;

private:
    Find find_;
    Start start_;
    QString currentDesktop_;
};

} // namespace tavrin
