#pragma once

#include "platform/filedialogs.h"

#include <QDBusConnection>
#include <QString>

namespace tavrin {

// The desktop's own file dialogs through the XDG desktop portal's file
// chooser, where a portal with one runs on the session bus; elsewhere the
// dialogs of `fallback`. Each choice asks the portal again, so a portal that
// starts or goes away later is followed. While a portal dialog is open the
// caller waits in an event loop, as it would for a modal dialog of its own.
class PortalFileDialogs : public FileDialogs {
public:
    static inline const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString kInterface = QStringLiteral("org.freedesktop.portal.FileChooser");
    // How long the portal may take to answer a call (not the user a dialog).
    static constexpr int kAskTimeoutMs = 5000;

    // `fallback` must outlive this object.
    PortalFileDialogs(QDBusConnection bus, FileDialogs& fallback);

    std::optional<QString> chooseSaveFile(const QString& defaultName, const FileType& type) override;
    std::optional<QString> chooseOpenFile(const FileType& type) override;

    // Whether a portal with a file chooser answers on the bus now.
    bool portalRuns() const;

private:
    // The portal's answer to one request: the file chosen, none when the
    // user cancelled; `failed` when the portal did not answer at all.
    struct Answer {
        std::optional<QString> path;
        bool failed = false;
    };
    Answer ask(const QString& method, const QString& title, QVariantMap options);

    QDBusConnection bus_;
    FileDialogs& fallback_;
    int requests_ = 0;
};

} // namespace tavrin
