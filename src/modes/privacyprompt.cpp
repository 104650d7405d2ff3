#include "modes/privacyprompt.h"

#include "design/floatingpanel.h"
#include "design/panelfade.h"
#include "design/themed.h"
#include "modes/promptview.h"
#include "platform/clock.h"
#include "windows/axwindow.h"
#include "windows/display.h"
#include "windows/windowmanager.h"

#include <cmath>

namespace tavrin {

PrivacyPrompt::PrivacyPrompt(Clock& clock, const WindowManager& windows)
    : clock_(clock),
      windows_(windows),
      placement_(&PanelRoom::of)
{}

PrivacyPrompt::~PrivacyPrompt()
{
    hideTask_.cancel();
    if (fade_)
        fade_->stop();
}

QWidget* PrivacyPrompt::window() const { return panel_ ? panel_->window() : nullptr; }

bool PrivacyPrompt::isShowing() const { return panel_ && panel_->isVisible(); }

double PrivacyPrompt::opacity() const { return panel_ ? panel_->opacity() : 0; }

void PrivacyPrompt::makePanel()
{
    holder_ = new Themed;
    panel_ = std::make_unique<FloatingPanel>(holder_, FloatingPanel::Mouse::clicks, QStringLiteral("privacyPrompt"));
    fade_ = std::make_unique<PanelFade>();
}

Rect PrivacyPrompt::frameFor(double centreX, const Rect& visible, Size size)
{
    double x = centreX - size.width / 2;
    if (x < visible.minX())
        x = visible.minX();
    if (x > visible.maxX() - size.width)
        x = visible.maxX() - size.width;
    return Rect(x, visible.maxY() + kBelowBottom - size.height, size.width, size.height);
}

Rect PrivacyPrompt::place(Size size) const
{
    std::optional<Rect> anchor;
    if (const auto focused = AXWindow::focused())
        anchor = focused->frame();
    std::optional<Display> display = anchor ? Display::containing(*anchor) : std::nullopt;
    if (!display)
        display = windows_.focusedContext();
    const Rect visible = display ? display->area : Rect();
    const double centre = anchor ? anchor->midX() : visible.midX();
    // Where that point shows among the panels for the display.
    const PanelRoom room = placement_(visible);
    const double shownCentre = visible.width > 0
                                   ? room.over.minX() + (centre - visible.minX()) * room.over.width / visible.width
                                   : room.over.midX();
    return frameFor(shownCentre, room.over, size);
}

void PrivacyPrompt::show(const QString& app, std::function<void(bool)> answer)
{
    hide(false);
    answer_ = std::move(answer);
    if (!panel_)
        makePanel();
    auto* view = new PromptView(app, [this](bool yes) { hide(yes); });
    holder_->setContent(view);
    view_ = view;

    const QSize natural = view->sizeHint();
    const Size size{std::ceil(double(natural.width())), std::ceil(double(natural.height()))};
    panel_->setFrame(place(size));
    panel_->setOpacity(0);
    panel_->orderFront();
    fade_->run(*panel_, 1.0, kFadeInSeconds);

    hideTask_.start([this](CancelToken token) -> QCoro::Task<> {
        co_await clock_.sleep(kVisibleSeconds, token);
        if (token.isCancelled())
            co_return;
        hide(false);
    });
}

void PrivacyPrompt::hide(bool answer)
{
    hideTask_.cancel();
    if (fade_)
        fade_->stop();
    if (panel_)
        panel_->orderOut();
    if (auto callback = std::exchange(answer_, nullptr))
        callback(answer);
}

} // namespace tavrin
