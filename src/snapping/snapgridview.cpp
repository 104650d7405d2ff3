#include "snapping/snapgridview.h"

#include "design/designfont.h"
#include "platform/hotkeys.h"
#include "platform/linuxwords.h"
#include "snapping/hudmetrics.h"
#include "snapping/hudrow.h"
#include "snapping/snapcell.h"
#include "snapping/snaphudcontroller.h"
#include "windows/windowmanager.h"

#include <QGridLayout>

namespace tavrin {

SnapGridView::SnapGridView(SnapHUDController& hud, QWidget* parent) : HUDFace(hud, QStringLiteral("snapGrid"), parent)
{
    for (SnapTarget target : kAllSnapTargets) {
        const int i = static_cast<int>(target);
        auto* cell = new SnapCell(target, hud.shortcuts());
        connect(cell, &QAbstractButton::clicked, this, [this, target] { snap(target); });
        grid()->addWidget(cell, i / hud::kColumns, i % hud::kColumns);
        cells_[std::size_t(i)] = cell;
    }
    auto* footer =
        new HUDRow({DesignFont::system(12), TTheme::Colour::muted}, {DesignFont::system(12), TTheme::Colour::muted});
    const QStringList held = LinuxWords::modifierNames(modifier::control | modifier::option);
    footer->setTexts(LinuxWords::runningText(held) + QStringLiteral(" held"), QStringLiteral("Release to close"));
    addFooter(footer);

    connect(&hud, &SnapHUDController::aspectChanged, this, [this] {
        fitToAspect();
        showState();
    });
    connect(&hud, &SnapHUDController::appNameChanged, this, &SnapGridView::showState);
    connect(&hud, &SnapHUDController::highlightedChanged, this, &SnapGridView::showState);
    fitToAspect();
    showState();
}

void SnapGridView::fitToAspect()
{
    const double aspect = hud_.aspect();
    const int width = hud::gridWidth(aspect);
    setFixedWidth(width);
    const int height = hud::fittedHeight(hud::columnWidth(width), aspect);
    for (SnapCell* cell : cells_) {
        cell->setAspect(aspect);
        cell->setFixedHeight(height);
    }
}

void SnapGridView::showState()
{
    const auto highlighted = hud_.highlighted();
    header()->setTexts(hud_.appName(),
                       highlighted ? label(*highlighted, hud_.aspect()) : QStringLiteral("Pick a position"));
    for (SnapCell* cell : cells_)
        cell->setOn(highlighted == cell->target());
}

void SnapGridView::snap(SnapTarget target)
{
    if (const auto frame = hud_.windowManager().snap(target))
        hud_.flashTarget(target, *frame);
}

} // namespace tavrin
