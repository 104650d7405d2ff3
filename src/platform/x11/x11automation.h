#pragma once

#include "platform/automation.h"

namespace tavrin {

class DesktopEntries;
class X11Workspace;

// Scripting on the Linux desktop, which has no scripting of other
// applications and no consent for it. A running application answers
// allowed (by its desktop id), any other not running. Of the system's
// scripts only the one that opens a window of a Chromium-family browser with
// tabs is carried out: the browser's desktop entry is started with
// "--new-window" followed by the addresses. Every other script answers
// nothing, as an application that does not answer would.
class X11Automation : public Automation {
public:
    X11Automation(DesktopEntries& entries, X11Workspace& workspace) : entries_(entries), workspace_(workspace) {}

    std::optional<ScriptValue> run(const QString& source, double timeLimit) override;
    int permission(const QString& bundleId, bool ask) override;

    // The command that opens a new window of the browser whose desktop entry
    // starts with `entryCommand` (program and arguments), holding `urls`.
    static QStringList newWindowCommand(const QStringList& entryCommand, const QStringList& urls);

private:
    DesktopEntries& entries_;
    X11Workspace& workspace_;
};

} // namespace tavrin
