#pragma once

#include "design/tween.h"

#include <QObject>
#include <functional>

namespace tavrin {

class Frames;
class HUDPanel;

// Eases a panel's opacity to a value over a stretch of the platform clock,
// on display frames. One fade at a time: a new one starts from the opacity
// the panel has, and stopping leaves it where it is.
class PanelFade : public QObject {
    Q_OBJECT
public:
    explicit PanelFade(QObject* parent = nullptr);

    // `panel` must outlive the fade or see it stopped first. `done` runs
    // when the fade reaches `to`, not when it is stopped. Without a platform
    // clock the panel takes `to` at once.
    void run(HUDPanel& panel, double to, double seconds, std::function<void()> done = {});
    void stop();
    bool isRunning() const;

private:
    void frame();

    HUDPanel* panel_ = nullptr;
    Tween tween_;
    std::function<void()> done_;
    Frames* frames_;
};

} // namespace tavrin
