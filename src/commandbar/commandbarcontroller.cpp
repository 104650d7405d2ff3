#include "commandbar/commandbarcontroller.h"

#include "commandbar/commandbarview.h"
#include "design/themed.h"
#include "planning/aiengine.h"
#include "planning/keychainstore.h"
#include "platform/clock.h"

#include <QLayout>
#include <algorithm>

namespace tavrin {

CommandBarController::CommandBarController(CommandBarServices services, QObject* parent)
    : QObject(parent),
      model_(std::make_unique<CommandBarModel>(services)),
      toast_(services.runner, services.clock),
      placement_(&PanelRoom::of)
{
    // Once for the controller's life: every show reuses the same overlay.
    connect(&adjust_, &AdjustOverlayController::backToPreview, this, [this] {
        if (adjust_.panel())
            adjust_.panel()->orderOut();
        present();
    });
    // Read at start, so that the bar knows before it first opens.
    refreshClaudeKey();
}

CommandBarController::~CommandBarController() { delete panel_.data(); }

void CommandBarController::setPlacement(PanelPlacement placement)
{
    placement_ = placement ? std::move(placement) : PanelPlacement(&PanelRoom::of);
    adjust_.setPlacement(placement_);
    toast_.setPlacement(placement_);
}

double CommandBarController::panelWidth(const Rect& visible)
{
    return std::min(visible.width - kSideRoom, CommandBarView::kCardWidth) + 2 * CommandBarView::kMargin;
}

Point CommandBarController::panelOrigin(const Rect& visible) { return panelOrigin(PanelRoom::of(visible)); }

Point CommandBarController::panelOrigin(const PanelRoom& place)
{
    const double width = panelWidth(place.room);
    const Rect& over = place.over;
    return {over.midX() - width / 2, over.minY() + kTopFraction * over.height - CommandBarView::kMargin};
}

std::optional<Display> CommandBarController::targetDisplay() const
{
    const std::vector<Display> all = Display::all();
    if (all.empty())
        return std::nullopt;
    if (const auto& capture = model_->capture()) {
        for (const Display& d : all)
            if (d.id == capture->display.id)
                return d;
    }
    return all.front();
}

void CommandBarController::show() { showAfter({}); }

void CommandBarController::ask(const QString& request)
{
    showAfter([this, request] {
        model_->setText(request);
        model_->submit();
    });
}

void CommandBarController::open(const SavedWorkspace& workspace)
{
    showAfter([this, workspace] { model_->open(workspace); });
}

void CommandBarController::showAfter(const std::function<void()>& start)
{
    toast_.hide();
    if (adjust_.panel())
        adjust_.panel()->orderOut();
    // The bar shown last is replaced: it no longer follows the model that
    // is about to be reset.
    if (view_)
        view_->stopFollowing();
    model_->prepare();
    installCallbacks();
    refreshClaudeKey();
    if (start)
        start();
    present();
}

void CommandBarController::installCallbacks()
{
    QPointer self(this);
    model_->onClose = [self] {
        if (!self)
            return;
        self->hide();
    };
    model_->onAdjust = [self] {
        if (!self || !self->model_->capture())
            return;
        self->ignoreResign = true;
        if (self->panel_)
            self->panel_->orderOut();
        self->adjust_.show(*self->model_, self->model_->capture()->display.area);
        self->ignoreResign = false;
    };
    model_->onArranged = [self](const CommandBarModel::Outcome& outcome, const std::optional<QString>& saved,
                                const Display& display) {
        if (!self)
            return;
        self->toast_.show(outcome, saved, display);
    };
}

void CommandBarController::refreshClaudeKey()
{
    // The bar's setup card asks whether a key is stored; the Keychain answers
    // asynchronously, and the view follows the store's announcement. Read
    // afresh on every show: the key may have been changed meanwhile.
    // Only whether one is there: a locked keyring must not raise its
    // unlock prompt over the bar.
    const CommandBarServices& s = model_->services();
    if (currentAIEngine(s.defaults) == AIEngine::claude) [[maybe_unused]]
        auto look = s.keychain.lookForClaudeKey();
}

void CommandBarController::hide()
{
    if (adjust_.panel())
        adjust_.panel()->orderOut();
    if (panel_)
        panel_->orderOut();
}

bool CommandBarController::isShowing() const { return panel_ && panel_->isVisible(); }

void CommandBarController::toggle()
{
    if (isShowing())
        hide();
    else
        show();
}

void CommandBarController::makePanel()
{
    panel_ = new CommandPanel();
    panel_->setObjectName(QStringLiteral("commandBarPanel"));
    panel_->setWindowTitle(QStringLiteral("Tavrin"));
    panel_->setMovableByBackground(true);
    // The panel's height follows its content.
    panel_->layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(panel_, &CommandPanel::resignedKey, this, &CommandBarController::windowDidResignKey);
}

void CommandBarController::present()
{
    const auto display = targetDisplay();
    if (!display)
        return;
    if (!panel_)
        makePanel();
    const PanelRoom place = placement_(display->area);
    const double width = panelWidth(place.room);
    if (view_)
        view_->stopFollowing();
    auto* view = new CommandBarView(*model_, width - 2 * CommandBarView::kMargin);
    view_ = view;
    connect(view, &CommandBarView::settingsRequested, this, &CommandBarController::settingsRequested);
    panel_->setContent(new Themed(view));
    panel_->adjustSize();
    // The card stays on the screen even where the display is drawn near
    // its edge.
    const Point origin = panelOrigin(place);
    panel_->move(qRound(place.keptAcross(origin.x, panel_->width())), qRound(origin.y));
    panel_->makeKeyAndOrderFront();

    QPointer self(this);
    QPointer panel(panel_);
    model_->services().clock.schedule(0, [self, panel] {
        if (panel)
            panel->makeKey();
        if (self)
            self->model_->raiseFocusTick();
    });
}

void CommandBarController::windowDidResignKey()
{
    if (ignoreResign)
        return;
    const auto kind = model_->phase().kind;
    if (kind == CommandBarPhase::Kind::adjusting || kind == CommandBarPhase::Kind::arranging
        || kind == CommandBarPhase::Kind::thinking)
        return;
    hide();
}

} // namespace tavrin
