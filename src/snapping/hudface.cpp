#include "snapping/hudface.h"

#include "design/designfont.h"
#include "snapping/hudmetrics.h"
#include "snapping/hudrow.h"

#include <QGridLayout>
#include <QVBoxLayout>

namespace tavrin {

HUDFace::HUDFace(SnapHUDController& hud, const QString& name, QWidget* parent)
    : QWidget(parent),
      hud_(hud),
      stack_(new QVBoxLayout(this)),
      header_(new HUDRow({DesignFont::system(13, QFont::DemiBold), TTheme::Colour::ink},
                         {DesignFont::system(12), TTheme::Colour::muted})),
      grid_(new QGridLayout)
{
    setObjectName(name);
    stack_->setContentsMargins(hud::kFacePadding, hud::kFacePadding, hud::kFacePadding, hud::kFacePadding);
    stack_->setSpacing(hud::kFaceSpacing);
    stack_->addWidget(header_);
    grid_->setSpacing(hud::kColumnSpacing);
    for (int c = 0; c < hud::kColumns; ++c)
        grid_->setColumnStretch(c, 1);
    stack_->addLayout(grid_);
}

void HUDFace::addFooter(QWidget* footer) { stack_->addWidget(footer); }

} // namespace tavrin
