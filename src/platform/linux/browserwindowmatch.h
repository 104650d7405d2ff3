#pragma once

#include "platform/automation.h"
#include "platform/geometry.h"

#include <QList>
#include <QString>
#include <optional>

namespace tavrin {

// Pairs a browser's windows on screen with the windows of its session file
// by every key the two hold: the window's title, which shows the front tab
// ("Inbox — Mozilla Firefox", "Inbox - Chromium"; Firefox cuts the tab's
// part to 256 characters, Chromium does not cut it); the window's outer
// frame, which both families write; and which window was in use last. No
// key is enough alone: Chromium leaves tab titles empty until a page is
// loaded again, does not write a window that was only moved, and windows
// can share a title or a frame. A file can also name an older front tab (a
// tab switch alone is not written), so the tab the window's title shows
// becomes the front one, and an untitled front tab takes its title from the
// window.
namespace BrowserWindowMatch {

// A browser's window on screen: its title and, where read, its outer frame
// and client area.
struct OnScreen {
    QString title;
    std::optional<Rect> frame = std::nullopt;
    std::optional<Rect> client = std::nullopt;
};

// For each window on screen in order (front to back), the session window it
// is, with its front tab as its title shows it and the title as its
// `windowTitle`; none where it is no session window or where no key tells
// it from another. Pairs are one to one and none is guessed: a window and a
// session window are paired when each fits the other better than anything
// else left. A session window whose
// tabs are all titled fits no window whose title shows none of them. A
// private window (its title ending in " Private Browsing") is never written
// to the file and gets none.
QList<std::optional<BrowserWindow>> match(const QList<OnScreen>& windows, const QList<BrowserWindow>& session);
// Whether the window title marks a private window.
bool isPrivate(const QString& windowTitle);
// The tab's part of a browser window's title: up to its last " — " or " - ".
QString tabTitle(const QString& windowTitle);

} // namespace BrowserWindowMatch

} // namespace tavrin
