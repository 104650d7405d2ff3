#pragma once

#include "design/hudpanel.h"
#include "snapping/hudpanels.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace tavrin {

// Panels that only remember what they were told, for the snap overlay's
// controller on virtual time. `order` gets "front hud", "front outline",
// "front outline under hud", "out hud", … in the order the panels were moved.
class FakePanel : public HUDPanel {
public:
    FakePanel(QString name, Size fitting, std::shared_ptr<QStringList> order)
        : name_(std::move(name)),
          fitting_(fitting),
          order_(std::move(order))
    {}

    bool isVisible() const override { return visible_; }
    Size fittingSize() override { return fitting_; }
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override { frame_ = frame; }
    double opacity() const override { return opacity_; }
    void setOpacity(double opacity) override { opacity_ = opacity; }
    void orderFront(const HUDPanel* under = nullptr) override
    {
        visible_ = true;
        const auto* above = dynamic_cast<const FakePanel*>(under);
        *order_ << QStringLiteral("front ") + name_
                       + (above && above->isVisible() ? QStringLiteral(" under ") + above->name_ : QString());
    }
    void orderOut() override
    {
        visible_ = false;
        *order_ << QStringLiteral("out ") + name_;
    }

private:
    QString name_;
    Size fitting_;
    std::shared_ptr<QStringList> order_;
    bool visible_ = false;
    Rect frame_;
    double opacity_ = 1;
};

// Makes FakePanels, placed where the desktop areas are. The panels belong to
// the controller; `hud` and `outline` point at them once made.
class FakeHUDPanels : public HUDPanels {
public:
    static constexpr Size kHUDSize{380, 300};

    std::unique_ptr<HUDPanel> makeHUDPanel(SnapHUDController&) override
    {
        auto panel = std::make_unique<FakePanel>(QStringLiteral("hud"), kHUDSize, order);
        hud = panel.get();
        ++made;
        return panel;
    }
    std::unique_ptr<HUDPanel> makeOutlinePanel() override
    {
        auto panel = std::make_unique<FakePanel>(QStringLiteral("outline"), Size{}, order);
        outline = panel.get();
        ++made;
        return panel;
    }
    Rect place(const Rect& area) const override { return area; }

    FakePanel* hud = nullptr;
    FakePanel* outline = nullptr;
    int made = 0;
    std::shared_ptr<QStringList> order = std::make_shared<QStringList>();
};

} // namespace tavrin
