#include "snapping/snaphudcontroller.h"

#include "platform/defaults.h"
#include "platform/eventmonitors.h"
#include "platform/platform.h"
#include "snapping/desktophudpanels.h"
#include "windows/axactionscope.h"
#include "windows/axwindow.h"
#include "windows/display.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include <QPointer>
#include <cmath>

namespace tavrin {

namespace {
constexpr std::uint64_t kCounted = modflag::shift | modflag::control | modflag::option | modflag::command;
constexpr std::uint64_t kHold = modflag::control | modflag::option;
} // namespace

SnapHUDController::SnapHUDController(WindowManager& windows, ShortcutStore& shortcuts, const Platform& platform,
                                     std::unique_ptr<HUDPanels> panels, QObject* parent)
    : QObject(parent),
      windows_(windows),
      shortcuts_(shortcuts),
      clock_(*platform.clock),
      defaults_(*platform.defaults),
      eventMonitors_(platform.eventMonitors),
      panels_(panels ? std::move(panels) : std::make_unique<DesktopHUDPanels>())
{}

SnapHUDController::~SnapHUDController()
{
    removeMonitors();
    refreshTask_.cancel();
    flashTask_.cancel();
    dropPanels();
}

void SnapHUDController::setPanels(std::unique_ptr<HUDPanels> panels)
{
    if (!panels)
        return;
    dropPanels();
    panels_ = std::move(panels);
}

void SnapHUDController::dropPanels()
{
    hudFade_.stop();
    outlineFade_.stop();
    // The view inside the panel reads this controller: the panel goes first.
    panel_.reset();
    targetPanel_.reset();
}

// ---- Monitors and the hold ----

void SnapHUDController::installMonitors()
{
    EventMonitors* monitors = eventMonitors_;
    if (!monitors_.isEmpty() || !monitors)
        return;
    monitors_ << connect(monitors, &EventMonitors::globalModifierFlagsChanged, this,
                         &SnapHUDController::modifiersChanged)
              << connect(monitors, &EventMonitors::localModifierFlagsChanged, this,
                         &SnapHUDController::modifiersChanged);
    // From now on a held key may show the overlay: its first showing should
    // cost no more than any other.
    setLetters(defaults_.boolValue(kLettersKey));
    panels_->prepare(*this);
}

void SnapHUDController::removeMonitors()
{
    for (const QMetaObject::Connection& c : monitors_)
        disconnect(c);
    monitors_.clear();
    // A hold that began before the monitors went would otherwise still
    // bring the overlay up.
    cancelHold();
    hide();
}

void SnapHUDController::modifiersChanged(std::uint64_t flags)
{
    if ((flags & kCounted) != kHold) {
        cancelHold();
        // The keys of a hot key are let go right after it: its flash, with
        // the overlay hidden, runs its course and fades by itself.
        const bool flashing = flashTask_.isRunning() || outlineFade_.isRunning();
        if (!(flashing && !isShowing()))
            hide();
        return;
    }
    if (isShowing() || holdTimer_ || !overlayEnabled())
        return;
    holdTimer_ = clock_.singleShot(kHoldSeconds, this, [this] {
        holdTimer_.reset();
        show();
    });
}

void SnapHUDController::cancelHold()
{
    if (holdTimer_)
        clock_.cancel(*holdTimer_);
    holdTimer_.reset();
}

void SnapHUDController::hide()
{
    hudFade_.stop();
    outlineFade_.stop();
    if (panel_)
        panel_->orderOut();
    if (targetPanel_)
        targetPanel_->orderOut();
    hovered_.reset();
}

bool SnapHUDController::overlayEnabled() const
{
    // Only a stored switch turns the overlay off; anything else is the default.
    const auto stored = defaults_.value(kOverlayKey);
    return !stored || stored->typeId() != QMetaType::Bool || stored->toBool();
}

// ---- Showing ----

void SnapHUDController::show()
{
    AXActionScope scope;
    const auto window = AXWindow::focused();
    if (!window)
        return;
    const auto frame = window->frame();
    if (!frame)
        return;
    const auto display = Display::containing(*frame);
    if (!display)
        return;

    setAppName(window->app.localizedName.isEmpty() ? QStringLiteral("Window") : window->app.localizedName);
    setAspect(aspectOf(display->area));
    setLetters(defaults_.boolValue(kLettersKey));
    hovered_.reset();
    refreshPreviews();

    OptionalTarget matching;
    const double gap = windows_.gap();
    for (SnapTarget target : kAllSnapTargets)
        if (rect(target, aspect_).rect(display->area, gap) == *frame) {
            matching = target;
            break;
        }
    setHighlighted(matching);

    if (!panel_)
        panel_ = panels_->makeHUDPanel(*this);
    const Size size = panel_->fittingSize();
    const Rect area = panels_->place(display->area);
    panel_->setFrame(Rect(std::round(area.midX() - size.width / 2), std::round(area.midY() - size.height / 2),
                          size.width, size.height));
    panel_->setOpacity(0);
    panel_->orderFront();
    hudFade_.run(*panel_, 1, kFadeInSeconds);
}

void SnapHUDController::refreshPreviews()
{
    const auto context = windows_.arrowContext();
    if (!context) {
        setPreviews({});
        setCurrentLabel(QString());
        return;
    }
    const QString current = label(std::optional<UnitRect>(context->unit));
    setCurrentLabel(current);
    const double displayAspect = aspectOf(context->display.area);
    Previews previews;
    for (Arrow arrow : kAllArrows) {
        if (const auto next = nextUnit(arrow, context->unit, displayAspect, context->previous))
            previews[arrow] = {next, label(next)};
        else if (context->restoreUnit && label(context->restoreUnit) != current)
            previews[arrow] = {context->restoreUnit, QStringLiteral("put back")};
        else
            previews[arrow] = {std::nullopt, QStringLiteral("nothing to undo")};
    }
    setPreviews(previews);
    if (hovered_)
        showPreview(*hovered_);
}

// ---- The outline ----

void SnapHUDController::showPreview(Arrow arrow)
{
    const auto it = previews_.find(arrow);
    if (it != previews_.end() && it->second.unit)
        if (const auto context = windows_.arrowContext()) {
            showOutline(it->second.unit->rect(context->display.area, windows_.gap()));
            return;
        }
    orderOutOutline();
}

void SnapHUDController::orderOutOutline()
{
    outlineFade_.stop();
    if (targetPanel_)
        targetPanel_->orderOut();
}

void SnapHUDController::showOutline(const Rect& frame)
{
    if (!targetPanel_)
        targetPanel_ = panels_->makeOutlinePanel();
    // A fade still running from an earlier flash would take this one away.
    outlineFade_.stop();
    targetPanel_->setFrame(panels_->place(frame).insetBy(-kOutlineOutset, -kOutlineOutset));
    targetPanel_->setOpacity(1);
    // The overlay stays above the outline; a hidden one stays hidden.
    targetPanel_->orderFront(isShowing() ? panel_.get() : nullptr);
}

// ---- After a shortcut or a click ----

void SnapHUDController::markPressed(OptionalArrow arrow)
{
    if (!isShowing())
        return;
    setPressed(arrow);
    refreshPreviews();
    refreshTask_.start([self = QPointer<SnapHUDController>(this), &clock = clock_](CancelToken token) -> QCoro::Task<> {
        co_await clock.sleep(kPressedSeconds, token);
        if (!self || token.isCancelled())
            co_return;
        self->setPressed(std::nullopt);
        co_await clock.sleep(kRefreshAgainSeconds, token);
        if (!self || token.isCancelled())
            co_return;
        if (self->isShowing())
            self->refreshPreviews();
    });
}

void SnapHUDController::flashArrow(OptionalArrow arrow, const Rect& frame)
{
    if (isShowing()) {
        setHighlighted(std::nullopt);
        markPressed(arrow);
        if (hovered_)
            return; // the outline follows the hovered key's new preview
    }
    showOutline(frame);
    fadeOutlineLater();
}

void SnapHUDController::fadeOutlineLater()
{
    flashTask_.start([self = QPointer<SnapHUDController>(this), &clock = clock_](CancelToken token) -> QCoro::Task<> {
        co_await clock.sleep(kFlashSeconds, token);
        if (!self || token.isCancelled() || self->isShowing() || !self->targetPanel_)
            co_return;
        // Showing the outline again (a newer flash, a hover) stops the fade
        // before it is done, and the outline stays.
        self->outlineFade_.run(*self->targetPanel_, 0, kFadeOutSeconds, [self] {
            if (self && self->targetPanel_ && !self->isShowing())
                self->targetPanel_->orderOut();
        });
    });
}

void SnapHUDController::flashTarget(SnapTarget target, const Rect& frame)
{
    if (!isShowing())
        return;
    setHighlighted(target);
    showOutline(frame);
}

// ---- Publishing ----

template <class T>
void SnapHUDController::publish(T& field, const T& value, void (SnapHUDController::*changed)())
{
    if (field == value)
        return;
    field = value;
    emit(this->*changed)();
}

void SnapHUDController::setHighlighted(OptionalTarget target)
{
    publish(highlighted_, target, &SnapHUDController::highlightedChanged);
}

void SnapHUDController::setAppName(const QString& name) { publish(appName_, name, &SnapHUDController::appNameChanged); }

void SnapHUDController::setAspect(double aspect) { publish(aspect_, aspect, &SnapHUDController::aspectChanged); }

void SnapHUDController::setLetters(bool letters) { publish(letters_, letters, &SnapHUDController::lettersChanged); }

void SnapHUDController::setPreviews(const Previews& previews)
{
    publish(previews_, previews, &SnapHUDController::previewsChanged);
}

void SnapHUDController::setCurrentLabel(const QString& label)
{
    publish(currentLabel_, label, &SnapHUDController::currentLabelChanged);
}

void SnapHUDController::setPressed(OptionalArrow arrow)
{
    publish(pressed_, arrow, &SnapHUDController::pressedChanged);
}

} // namespace tavrin
