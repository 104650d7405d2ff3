#include "commandbar/adjustoverlaycontroller.h"

#include "commandbar/adjustview.h"
#include "design/themed.h"

namespace tavrin {

AdjustOverlayController::AdjustOverlayController() : placement_(&PanelRoom::of) {}

AdjustOverlayController::~AdjustOverlayController() { delete panel_.data(); }

AdjustView* AdjustOverlayController::view() const { return panel_ ? panel_->findChild<AdjustView*>() : nullptr; }

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
    // Over the display as it shows; wider where it shows too small for the
    // bar, which keeps its size.
    const PanelRoom place = placement_(area);
    Rect frame = place.over;
    const double need = AdjustView::barWidth(area.width) + 2 * AdjustView::kBarOutset;
    if (frame.width < need) {
        frame.x = place.over.midX() - need / 2;
        frame.width = need;
        frame.x = place.keptAcross(frame.x, frame.width);
    }
    const QRect placed = QRectF(frame.x, frame.y, frame.width, frame.height).toAlignedRect();
    view->setDrawnArea(
        QRectF(place.over.x - placed.x(), place.over.y - placed.y(), place.over.width, place.over.height));
    panel_->setGeometry(placed);
    panel_->makeKeyAndOrderFront();
    view->setFocus(Qt::OtherFocusReason);
}

} // namespace tavrin
