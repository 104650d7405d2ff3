#pragma once

// Collaborators that tests register with the workspaces layer: each forwards
// to a function the test sets (an unset one does nothing, or answers
// nothing). Register with the layer's call and keep the handle for the test.

#include "workspaces/autoarrangecontrol.h"
#include "workspaces/shortcutparameters.h"
#include "workspaces/windowcontent.h"

#include <functional>

namespace tavrin {

struct FakeAutoArrange final : AutoArrangeControl {
    std::function<void(double seconds)> onPause;
    std::function<void(const Display&, const std::vector<AXWindow>&)> onArrangeNow;
    std::function<void()> onArrangeAll;

    void pause(double seconds) override
    {
        if (onPause)
            onPause(seconds);
    }
    void arrangeNow(const Display& display, const std::vector<AXWindow>& windows) override
    {
        if (onArrangeNow)
            onArrangeNow(display, windows);
    }
    void arrangeAll() override
    {
        if (onArrangeAll)
            onArrangeAll();
    }
};

// Unset functions answer as a program without integrations would: no tabs,
// nothing restored or switched, addresses as they are, application names.
struct FakeWindowContent final : WindowContent {
    std::function<QCoro::Task<BrowserTabMap>(QSet<QString>, bool, double)> onReadTabs;
    std::function<bool(const QString&)> onRestoresTabs;
    std::function<QCoro::Task<bool>(QString, QStringList)> onRestoreTabs;
    std::function<bool(const QString&, const QString&, const QString&)> onSelectTab;
    std::function<std::optional<QString>(const QString&)> onCleanWebAddress;
    std::function<QCoro::Task<QList<SavedItem>>(std::vector<AXWindow>)> onCapture;

    QCoro::Task<BrowserTabMap> readTabs(QSet<QString> apps, bool otherTitles, double timeout) override
    {
        if (onReadTabs)
            co_return co_await onReadTabs(std::move(apps), otherTitles, timeout);
        co_return BrowserTabMap{};
    }
    bool restoresTabs(const QString& app) override { return onRestoresTabs && onRestoresTabs(app); }
    bool startsBrowser = false; // restoreTabs starts a browser that does not run
    bool restoreStartsBrowser() override { return startsBrowser; }
    int restoredFront = -1; // the front index of the last restoreTabs
    QCoro::Task<bool> restoreTabs(QString app, QStringList urls, int front) override
    {
        restoredFront = front;
        if (onRestoreTabs)
            co_return co_await onRestoreTabs(std::move(app), std::move(urls));
        co_return false;
    }
    QCoro::Task<bool> selectTab(QString app, QString windowTitle, QString tab) override
    {
        co_return onSelectTab&& onSelectTab(app, windowTitle, tab);
    }
    std::optional<QString> cleanWebAddress(const QString& address) override
    {
        return onCleanWebAddress ? onCleanWebAddress(address) : std::optional<QString>(address);
    }
    QCoro::Task<QList<SavedItem>> capture(std::vector<AXWindow> windows, std::optional<SaveContext> = {}) override
    {
        if (onCapture)
            co_return co_await onCapture(std::move(windows));
        QList<SavedItem> items;
        for (const AXWindow& w : windows)
            items.append(SavedItem{w.app.localizedName, std::nullopt, std::nullopt});
        co_return items;
    }
};

struct CountingShortcutParameters final : ShortcutParameters {
    int updates = 0;
    void update() override { ++updates; }
};

} // namespace tavrin
