#pragma once

#include "workspaces/windowcontent.h"

namespace tavrin {

class Clock;

// What the integrations read from and bring back to windows, for the
// workspace layer: browser tabs for plan requests, tab restoring and
// selection when a plan or saved workspace is arranged, address cleaning and
// the capture of what each window shows. Scripts run on worker threads; the
// results come back on the main thread.
class IntegratedWindowContent : public WindowContent {
public:
    // Runs the scripts in the background of `clock`.
    explicit IntegratedWindowContent(Clock& clock) : clock_(clock) {}

    QCoro::Task<BrowserTabMap> readTabs(QSet<QString> apps, bool otherTitles, double timeout) override;
    // A browser row of the table whose integration is on.
    bool restoresTabs(const QString& app) override;
    QCoro::Task<bool> restoreTabs(QString app, QStringList urls, int front) override;
    // Where applications are not scripted: the browser's own command starts it.
    bool restoreStartsBrowser() override;
    // A browser row of the table whose integration is on, as Automation tells.
    int windowsRestoredOnStart(const QString& app) override;
    QCoro::Task<bool> selectTab(QString app, QString windowTitle, QString tab) override;
    std::optional<QString> cleanWebAddress(const QString& address) override;
    QCoro::Task<QList<SavedItem>> capture(std::vector<AXWindow> windows,
                                          std::optional<SaveContext> save = std::nullopt) override;

private:
    Clock& clock_;
};

} // namespace tavrin
