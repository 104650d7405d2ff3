#pragma once

#include "design/hudpanel.h"
#include "design/panelfade.h"
#include "platform/clock.h"
#include "platform/geometry.h"
#include "platform/taskhandle.h"
#include "snapping/arrowpreview.h"
#include "snapping/hudpanels.h"
#include "windows/arrow.h"
#include "windows/snaptarget.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

namespace tavrin {

class Defaults;
class EventMonitors;
class ShortcutStore;
class WindowManager;
struct Platform;

// The snap overlay: while exactly ⌃⌥ is held for 0.35 s, a panel centred on
// the focused window's display shows the nine snap zones (with the letter
// grid on) or an arrow pad previewing what each arrow key would do; after an
// arrow, fill or snap action a blue outline marks the window's new frame.
//
// It holds the overlay's published state, which the views observe, the two
// panels (made once, then only ordered in and out) and the modifier-key
// monitors. It moves no window itself: the window manager does, and this
// only shows the results. Main thread only; its timer and tasks hold it
// weakly.
class SnapHUDController : public QObject {
    Q_OBJECT
public:
    using OptionalTarget = std::optional<SnapTarget>;
    using OptionalArrow = std::optional<Arrow>;
    using Previews = std::map<Arrow, ArrowPreview>;

private:
    Q_PROPERTY(OptionalTarget highlighted READ highlighted NOTIFY highlightedChanged)
    Q_PROPERTY(QString appName READ appName NOTIFY appNameChanged)
    Q_PROPERTY(double aspect READ aspect NOTIFY aspectChanged)
    Q_PROPERTY(bool letters READ letters NOTIFY lettersChanged)
    Q_PROPERTY(Previews previews READ previews NOTIFY previewsChanged)
    Q_PROPERTY(QString currentLabel READ currentLabel NOTIFY currentLabelChanged)
    Q_PROPERTY(OptionalArrow pressed READ pressed NOTIFY pressedChanged)

public:
    static constexpr double kHoldSeconds = 0.35;
    static constexpr double kFadeInSeconds = 0.12;
    static constexpr double kPressedSeconds = 0.16;
    // After the press has cleared, the previews are read once more, when the
    // press no longer counts as the previous one of a chord.
    static constexpr double kRefreshAgainSeconds = 0.8;
    static constexpr double kFlashSeconds = 0.45;
    static constexpr double kFadeOutSeconds = 0.2;
    // The outline reaches this far beyond the window's frame.
    static constexpr double kOutlineOutset = 2;
    static constexpr double kDefaultAspect = 1.6;
    static inline const QString kLettersKey = QStringLiteral("snap.letterGrid");
    static inline const QString kOverlayKey = QStringLiteral("showSnapOverlay");

    // No panels and no monitors yet. Watches the platform's modifier keys,
    // reads its switches from its defaults and times on its clock. `panels`
    // none: the desktop's own floating panels, placed where desktop areas are.
    SnapHUDController(WindowManager& windows, ShortcutStore& shortcuts, const Platform& platform,
                      std::unique_ptr<HUDPanels> panels = nullptr, QObject* parent = nullptr);
    ~SnapHUDController() override;

    // Replaces how the panels are made and placed (the simulated desktop
    // places them over its drawing). Panels already made go; new ones are
    // made when next needed.
    void setPanels(std::unique_ptr<HUDPanels> panels);

    WindowManager& windowManager() const { return windows_; }
    ShortcutStore& shortcuts() const { return shortcuts_; }

    // ---- Published state ----
    // The snap target whose frame the focused window has exactly.
    OptionalTarget highlighted() const { return highlighted_; }
    // The focused window's application, "Window" when it has no name.
    QString appName() const { return appName_; }
    // Width over height of the display's visible area (1.6 for no height).
    double aspect() const { return aspect_; }
    // The letter grid's switch as read at the last show.
    bool letters() const { return letters_; }
    // What each arrow would do now; empty without a focused window.
    const Previews& previews() const { return previews_; }
    // The label of the focused window's place; empty without one.
    QString currentLabel() const { return currentLabel_; }
    // The arrow just pressed while the overlay shows, for 0.16 s.
    OptionalArrow pressed() const { return pressed_; }

    // The arrow key under the pointer, written by the arrow pad.
    OptionalArrow hovered() const { return hovered_; }
    void setHovered(OptionalArrow arrow) { hovered_ = arrow; }

    // ---- The application state's calls ----
    // Starts watching the modifier keys (global and local changes) and has
    // the panels prepare the overlay's face, so that its first showing costs
    // no more than any other; twice does nothing more.
    void installMonitors();
    // Stops watching them, forgets a pending hold (so the overlay cannot
    // appear afterwards), orders both panels out and forgets the hover.
    void removeMonitors();
    bool hasMonitors() const { return !monitors_.isEmpty(); }
    // After an arrow (with it) or a fill or display move (none) gave the
    // focused window `frame`. With the overlay hidden the outline shows the
    // frame and fades out 0.45 s later; with it showing the press is marked,
    // the previews refreshed and the outline stays (or keeps following the
    // hovered arrow key).
    void flashArrow(OptionalArrow arrow, const Rect& frame);
    // After a snap target gave the window `frame`: while the overlay shows,
    // highlights the target and outlines the frame; otherwise nothing.
    void flashTarget(SnapTarget target, const Rect& frame);

    // ---- The views' calls ----
    // Outlines where `arrow` would put the focused window, or orders the
    // outline out when it would go nowhere.
    void showPreview(Arrow arrow);
    void orderOutOutline();

    // ---- The overlay itself ----
    // Shows the overlay for the focused window, centred on its display's
    // visible area and fading in; nothing without a focused window with a
    // readable frame on a display.
    void show();
    // Reads what each arrow would do now into `previews` and `currentLabel`,
    // and moves the outline along when an arrow key is hovered.
    void refreshPreviews();
    bool isShowing() const { return panel_ && panel_->isVisible(); }
    bool isHoldPending() const { return holdTimer_.has_value(); }
    // The panels, once made.
    HUDPanel* panel() const { return panel_.get(); }

signals:
    void highlightedChanged();
    void appNameChanged();
    void aspectChanged();
    void lettersChanged();
    void previewsChanged();
    void currentLabelChanged();
    void pressedChanged();

private:
    void modifiersChanged(std::uint64_t flags);
    void cancelHold();
    void hide();
    bool overlayEnabled() const;
    void showOutline(const Rect& frame);
    void markPressed(OptionalArrow arrow);
    void fadeOutlineLater();
    void dropPanels();

    // Sets a published field and announces it, when it changed.
    template <class T>
    void publish(T& field, const T& value, void (SnapHUDController::*changed)());
    void setHighlighted(OptionalTarget target);
    void setAppName(const QString& name);
    void setAspect(double aspect);
    void setLetters(bool letters);
    void setPreviews(const Previews& previews);
    void setCurrentLabel(const QString& label);
    void setPressed(OptionalArrow arrow);

    WindowManager& windows_;
    ShortcutStore& shortcuts_;
    Clock& clock_;
    Defaults& defaults_;
    EventMonitors* eventMonitors_; // none: the overlay never shows on a hold
    std::unique_ptr<HUDPanels> panels_;

    OptionalTarget highlighted_;
    QString appName_;
    double aspect_ = kDefaultAspect;
    bool letters_ = false;
    Previews previews_;
    QString currentLabel_;
    OptionalArrow pressed_;
    OptionalArrow hovered_;
    TaskHandle refreshTask_;
    std::unique_ptr<HUDPanel> panel_;
    std::unique_ptr<HUDPanel> targetPanel_;
    std::optional<Clock::TimerId> holdTimer_;
    QList<QMetaObject::Connection> monitors_;
    TaskHandle flashTask_;
    PanelFade hudFade_;
    PanelFade outlineFade_;
};

} // namespace tavrin
