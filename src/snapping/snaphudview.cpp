#include "snapping/snaphudview.h"

#include "design/tglass.h"
#include "snapping/arrowpadview.h"
#include "snapping/hudmetrics.h"
#include "snapping/snapgridview.h"
#include "snapping/snaphudcontroller.h"

#include <QVBoxLayout>

namespace tavrin {

SnapHUDView::SnapHUDView(SnapHUDController& hud, int margin, QWidget* parent)
    : QWidget(parent),
      hud_(hud),
      glass_(new TGlass(hud::kFaceRadius))
{
    setObjectName(QStringLiteral("snapHUD"));
    glass_->setOutset(margin);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(glass_);
    connect(&hud, &SnapHUDController::lettersChanged, this, &SnapHUDView::showFace);
    showFace();
}

SnapGridView* SnapHUDView::grid() const { return qobject_cast<SnapGridView*>(face_.data()); }

ArrowPadView* SnapHUDView::pad() const { return qobject_cast<ArrowPadView*>(face_.data()); }

void SnapHUDView::showFace()
{
    if (face_ && (grid() != nullptr) == hud_.letters())
        return;
    if (hud_.letters())
        face_ = new SnapGridView(hud_);
    else
        face_ = new ArrowPadView(hud_);
    glass_->setContent(face_);
}

} // namespace tavrin
