#pragma once

#include "windows/axwindow.h"
#include "windows/display.h"
#include "workspaces/browsertabs.h"
#include "workspaces/planrequest.h"
#include "workspaces/saveditem.h"

#include <QList>
#include <QSet>

#include <QString>
#include <qcoro/qcorotask.h>
#include <vector>

namespace tavrin {

// The display a plan is made for, the open windows a plan's `existingWindow`
// numbers index, and the display information sent with the request.
struct ScreenCapture {
    static constexpr int kMaxWindows = 40;
    // How long the browsers' answer may take to be used in a request.
    static constexpr double kTabReadLimit = 2.5;

    Display display;
    std::vector<AXWindow> windows;
    PlanRequest::DisplayInfo request;

    // The display with the 40 frontmost windows of regular applications (of
    // every display: visible ones first, then titled windows of hidden
    // applications and minimised windows).
    static ScreenCapture of(const Display& display);

    // The request for this capture, after reading the browsers' tabs as
    // "sendBrowserURLs" (on when missing) and "sendBrowserTabTitles" allow.
    // Does not fail; without a tab reader it completes at once.
    QCoro::Task<PlanRequest> planRequest(const QString& text) const;
    // The request with tabs already gathered; reads no browser. The text is
    // cut to 500 characters as a person counts them; one entry per captured
    // window, the title of a hidden application's window marked
    // " (hidden app)" and of a minimised one " (minimised)".
    PlanRequest planRequest(const QString& text, const BrowserTabMap& tabs) const;

    // What each captured window shows, one item per window in order: for
    // windows of `apps` (browsers only while "sendBrowserURLs" is on), what
    // the integrations read (address or folder, tabs, title), else the
    // window's document; for the others their application only. Does not
    // fail.
    QCoro::Task<QList<SavedItem>> shown(QSet<QString> apps) const;

    // The first 500 user-perceived characters of a text.
    static QString cutRequest(const QString& text);
    // An application's name as plans and rows show it: "Window" when it has none.
    static QString appName(const RunningApp& app);
};

} // namespace tavrin
