#include "commandbar/adjustoverlaycontroller.h"

#include "commandbar/adjustview.h"
#include "design/themed.h"

namespace tavrin {

AdjustOverlayController::AdjustOverlayController() : placement_([](const Rect& area) { return area; }) {}

AdjustOverlayController::~AdjustOverlayController() { delete panel_.data(); }

AdjustView* AdjustOverlayController::view() const
{
    return panel_ ? panel_->findChild<AdjustView*>() : nullptr;
}

void AdjustOverlayController::show(CommandBarModel& model, const Rect& area)
{
    if (!panel_) {
        panel_ = new CommandPanel();
        panel_->setObjectName(QStringLiteral("adjustOverlayPanel"));
        panel_->setWindowTitle(QStringLiteral("Tavrin"));
    }
    auto* view = new AdjustView(model, area.size());
    connect(view, &AdjustView::backToPreview, this, &AdjustOverlayController::backToPreview);
    panel_->setContent(new Themed(view));
    const Rect placed = placement_(area);
    panel_->setGeometry(qRound(placed.x), qRound(placed.y), qRound(placed.width), qRound(placed.height));
    panel_->makeKeyAndOrderFront();
    view->setFocus(Qt::OtherFocusReason);
}

} // namespace tavrin
