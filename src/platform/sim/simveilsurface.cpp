#include "platform/sim/simveilsurface.h"

#include "platform/sim/simdesktop.h"

#include <cmath>

namespace tavrin {

SimVeilSurface::SimVeilSurface(SimDesktop& desktop, QWidget& content)
    : desktop_(desktop),
      content_(&content),
      number_(desktop.addSurface(&content))
{}

SimVeilSurface::~SimVeilSurface() { desktop_.removeSurface(number_); }

Rect SimVeilSurface::frame() const
{
    auto guard = desktop_.lock();
    const SimSurface* s = desktop_.surface(number_);
    return s ? s->frame : Rect();
}

void SimVeilSurface::setFrame(const Rect& frame)
{
    desktop_.changeSurface(number_, [&](SimSurface& s, SimSurfaceStack&) {
        s.frame = frame;
        ++s.redraws;
    });
    if (content_)
        content_->resize(int(std::lround(frame.width)), int(std::lround(frame.height)));
}

void SimVeilSurface::setOrigin(Point origin)
{
    desktop_.changeSurface(number_, [&](SimSurface& s, SimSurfaceStack&) {
        s.frame.x = origin.x;
        s.frame.y = origin.y;
    });
}

int SimVeilSurface::level() const
{
    auto guard = desktop_.lock();
    const SimSurface* s = desktop_.surface(number_);
    return s ? s->level : 0;
}

void SimVeilSurface::setLevel(int level)
{
    desktop_.changeSurface(
        number_, [&](SimSurface& s, SimSurfaceStack& stack) { stack.setLevel(s, level, desktop_.windows()); });
}

void SimVeilSurface::orderAbove(std::uint32_t window)
{
    desktop_.changeSurface(number_, [&](SimSurface& s, SimSurfaceStack& stack) {
        const SimWindow* w = desktop_.windowByNumber(window);
        stack.orderAbove(s, w ? w->token : 0, desktop_.windows());
    });
}

void SimVeilSurface::orderFront()
{
    desktop_.changeSurface(number_,
                           [&](SimSurface& s, SimSurfaceStack& stack) { stack.orderFront(s, desktop_.windows()); });
}

void SimVeilSurface::orderOut()
{
    desktop_.changeSurface(number_, [](SimSurface& s, SimSurfaceStack&) { s.visible = false; });
}

bool SimVeilSurface::isVisible() const
{
    auto guard = desktop_.lock();
    const SimSurface* s = desktop_.surface(number_);
    return s && s->visible;
}

} // namespace tavrin
