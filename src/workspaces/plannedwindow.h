#pragma once

#include "windows/axwindow.h"

#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

namespace tavrin {

// One row of a plan after matching: an open window the plan reuses
// (`existing`), or a window it opens (`openURL` with its further `tabs`, or,
// without an address, a launch of `app`). Row i takes slot i of the layout.
struct PlannedWindow {
    QUuid id;       // the row's identity, kept across swaps
    QString app;    // the owner's name for an existing window ("Window" when it has none), else the plan's
    QString detail; // the row's second line, ready to show
    QString purpose;
    std::optional<AXWindow> existing;
    std::optional<QString> openURL;  // only addresses that may be opened
    QStringList tabs;                // further addresses to open beside `openURL`
    int tabsBefore = 0;              // how many of `tabs` stand before `openURL` in the window
    std::optional<QString> frontTab; // for an existing browser window: the tab to bring forward
    bool saved = false;              // a saved workspace's: a browser window it opens comes back with its tabs

    // The second line of a row that opens a window: where it goes (see
    // addressDetail), then " + 1 tab" or " + N tabs" when further tabs open
    // with it.
    static QString openingDetail(const std::optional<QString>& openURL, const QStringList& tabs);
    // The second line of a row that reuses a window: the front tab the plan
    // names, else the window's title, else empty.
    static QString existingDetail(const std::optional<QString>& frontTab, const std::optional<QString>& title);
};

} // namespace tavrin
