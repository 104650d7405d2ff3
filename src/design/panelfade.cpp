#include "design/panelfade.h"

#include "design/frames.h"
#include "design/hudpanel.h"

namespace tavrin {

PanelFade::PanelFade(QObject* parent) : QObject(parent), frames_(new Frames(this, [this] { frame(); })) {}

void PanelFade::run(HUDPanel& panel, double to, double seconds, std::function<void()> done)
{
    panel_ = &panel;
    done_ = std::move(done);
    tween_.jump(panel.opacity());
    tween_.animate(to, seconds, Tween::Curve::easeInOut, Frames::now());
    if (!frames_->start())
        tween_.jump(to);
    frame();
}

void PanelFade::stop()
{
    frames_->stop();
    panel_ = nullptr;
    done_ = nullptr;
}

bool PanelFade::isRunning() const { return panel_ && frames_->isRunning(); }

void PanelFade::frame()
{
    if (!panel_)
        return;
    const double now = Frames::now();
    panel_->setOpacity(tween_.value(now));
    if (tween_.running(now))
        return;
    const auto done = std::move(done_);
    stop();
    if (done)
        done();
}

} // namespace tavrin
