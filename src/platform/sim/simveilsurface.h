#pragma once

#include "platform/veilsurfaces.h"

#include <QPointer>
#include <QWidget>

namespace tavrin {

class SimDesktop;

// One surface of the simulated desktop's stack. Its content widget is kept at
// the surface's size, so that the desktop's window draws it as it would show.
class SimVeilSurface : public VeilSurface {
public:
    SimVeilSurface(SimDesktop& desktop, QWidget& content);
    ~SimVeilSurface() override;

    std::uint32_t number() const override { return number_; }
    Rect frame() const override;
    void setFrame(const Rect& frame) override;
    void setOrigin(Point origin) override;
    int level() const override;
    void setLevel(int level) override;
    void orderAbove(std::uint32_t window) override;
    void orderFront() override;
    void orderOut() override;
    bool isVisible() const override;

private:
    SimDesktop& desktop_;
    QPointer<QWidget> content_;
    std::uint32_t number_ = 0;
};

} // namespace tavrin
