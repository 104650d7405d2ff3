#pragma once

#include "app/menubar/nowcontent.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QVBoxLayout;

namespace tavrin {

class AppState;
class Clock;
class Themed;
class WindowManager;
class WindowServer;

// The menu-bar window: the content of the menu-bar icon's popup, in the
// theme of the desktop's colour scheme. It reads what it shows from its
// NowContent, refreshes that when it is shown and, while it is shown, reads
// the windows again a moment after the window server tells of a change (or
// every second from a server that does not tell); it rebuilds itself when
// the content changes.
class NowView : public QWidget {
    Q_OBJECT
public:
    static constexpr double kPollInterval = 1.0;

    explicit NowView(MenuBarServices services, QWidget* parent = nullptr);

    NowContent& content() { return content_; }
    // Reads the desktop and rebuilds now, for a window about to open: it
    // then maps showing what is current, at the size that needs.
    void bringUpToDate();
    // A part of the content by its object name (sections are rebuilt, so
    // look parts up each time rather than keep them); null when absent.
    template <class T = QWidget>
    T* part(const QString& name) const
    {
        return findChild<T*>(name);
    }

signals:
    // An action that leaves the window (the command bar, Settings, Quit):
    // the popup closes.
    void dismissed();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void scheduleRebuild();
    // Windows changed: read them again a moment later, while shown.
    void desktopChanged();
    // Reads the windows again every kPollInterval while shown and
    // `needsPolling()`.
    void pollDesktop();
    // The window server tells of no change (or there is none to tell of),
    // or the displays could not be read when the window last looked: a
    // read that timed out on a busy server is followed by no news at all.
    bool needsPolling() const;
    void rebuild();
    void updateHover();
    QWidget* buildBody();
    // The body's sections, top to bottom, each added to `column` of `body`.
    void addPermissionBanner(QVBoxLayout* column, QWidget* body);
    void addDisplay(QVBoxLayout* column, QWidget* body);
    void addLayouts(QVBoxLayout* column, QWidget* body);
    void addModes(QVBoxLayout* column, QWidget* body);
    void addSuggestion(QVBoxLayout* column, QWidget* body);
    void addAsk(QVBoxLayout* column, QWidget* body);
    void addSaved(QVBoxLayout* column, QWidget* body);
    void addFooter(QVBoxLayout* column, QWidget* body);

    Clock* clock_;
    WindowServer* server_;
    std::function<void()> openFirstRun_;
    NowContent content_;
    Themed* themed_ = nullptr;
    bool rebuildPending_ = false;
    bool refreshPending_ = false;
    bool pollPending_ = false;
    // Whether the window has been shown: one never shown yet (rendered
    // for a look) rebuilds as its content changes.
    bool shownOnce_ = false;
    // A change came while the window was hidden.
    bool stale_ = false;
    // Brought up to date for the show that comes next.
    bool freshForShow_ = false;
};

} // namespace tavrin
