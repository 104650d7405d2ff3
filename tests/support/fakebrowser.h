#pragma once

// A browser as the tests play it, behaving as the real ones were measured to
// when their windows are saved (Chromium 156 and Firefox ESR 153): its
// windows are clients of its window class titled as it titles them, and it
// writes its session file as it writes it.
// - Chromium leaves every tab's title empty in its file until the page is
//   loaded again, and writes each window's bounds, equal to its outer frame,
//   and the window in use last. It titles a window "<front tab> - Chromium",
//   not cut however long.
// - Firefox writes the tabs' titles, each window's "screenX", "screenY",
//   "width" and "height" (its outer frame) and "zIndex" (1 the front one).
//   It titles a window "<front tab, cut to 256> — Mozilla Firefox".

#include "platform/automation.h"
#include "platform/geometry.h"
#include "support/sessionfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace tavrin {

class FakeBrowser {
public:
    enum class Family { chromium, firefox };
    struct Window {
        QList<BrowserTab> tabs;
        int front = 0;
        bool loadedAgain = false; // Chromium has written its tabs' titles
    };

    // A browser keeping its profile under `configHome` ($XDG_CONFIG_HOME).
    FakeBrowser(Family family, QString configHome) : family_(family), config_(std::move(configHome)) {}

    QString windowClass() const { return family_ == Family::chromium ? "Chromium" : "firefox-esr"; }
    // The title of a window on screen.
    QString title(const Window& w) const
    {
        const QString tab = w.tabs.value(w.front).title;
        return family_ == Family::chromium ? tab + " - Chromium" : tab.left(256) + " \u2014 Mozilla Firefox";
    }

    // Writes the session file of `windows` shown at `frames` (their outer
    // frames on screen), front to back, where the running browser keeps it,
    // and the lock it holds; false when it cannot.
    bool writeSession(const QList<Window>& windows, const QList<Rect>& frames)
    {
        const bool chromium = family_ == Family::chromium;
        const QString file = chromium ? "chromium/Default/Sessions/Session_13400000000000000"
                                      : "mozilla/firefox/fake.default-esr/sessionstore-backups/recovery.jsonlz4";
        if (!chromium
            && !put("mozilla/firefox/profiles.ini",
                    "[Profile0]\nName=default-esr\nIsRelative=1\nPath=fake.default-esr\nDefault=1\n"))
            return false;
        const QString lock = chromium ? "chromium/SingletonLock" : "mozilla/firefox/fake.default-esr/lock";
        QFile::remove(QDir(config_).filePath(lock));
        return put(file, chromium ? chromiumSession(windows, frames) : firefoxSession(windows, frames))
               && sessionfiles::lock(QDir(config_).filePath(lock));
    }

private:
    static QByteArray chromiumSession(const QList<Window>& windows, const QList<Rect>& frames)
    {
        sessionfiles::Chromium f;
        // Opened one after the other, each the one in use as it opened; the
        // front one is the one in use last.
        for (qint32 w = qint32(windows.size()) - 1; w >= 0; --w) {
            const Rect& r = frames.value(w);
            f.activeWindow(w + 1).windowBounds(w + 1, qint32(r.x), qint32(r.y), qint32(r.width), qint32(r.height));
            for (qint32 t = 0; t < windows[w].tabs.size(); ++t) {
                const qint32 tab = 100 * (w + 1) + t;
                const BrowserTab& page = windows[w].tabs[t];
                f.tabWindow(w + 1, tab)
                    .tabIndex(tab, t)
                    .navigation(tab, 0, page.url.toUtf8(), windows[w].loadedAgain ? page.title : QString());
            }
            f.selectedTab(w + 1, windows[w].front);
        }
        return f.bytes();
    }
    static QByteArray firefoxSession(const QList<Window>& windows, const QList<Rect>& frames)
    {
        QJsonArray list;
        for (qsizetype w = 0; w < windows.size(); ++w) {
            QJsonArray tabs;
            for (const BrowserTab& t : windows[w].tabs)
                tabs.append(QJsonObject{{"entries", QJsonArray{QJsonObject{{"url", t.url}, {"title", t.title}}}},
                                        {"index", 1}});
            const Rect& r = frames.value(w);
            list.append(QJsonObject{{"tabs", tabs},
                                    {"selected", windows[w].front + 1},
                                    {"screenX", r.x},
                                    {"screenY", r.y},
                                    {"width", r.width},
                                    {"height", r.height},
                                    {"sizemode", "normal"},
                                    {"zIndex", int(w + 1)}});
        }
        return sessionfiles::firefox(
            QJsonDocument(QJsonObject{{"windows", list}, {"selectedWindow", 1}}).toJson(QJsonDocument::Compact));
    }
    bool put(const QString& path, const QByteArray& bytes)
    {
        const QString full = QDir(config_).filePath(path);
        QDir().mkpath(QFileInfo(full).path());
        QFile f(full);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    Family family_;
    QString config_;
};

} // namespace tavrin
