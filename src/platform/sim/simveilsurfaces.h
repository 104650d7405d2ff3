#pragma once

#include "platform/veilsurfaces.h"

namespace tavrin {

class SimDesktop;

// Veil surfaces on the simulated desktop: surfaces of its stack, listed by
// its window server among the windows as windows of this process, and drawn
// by the desktop's window. Their content widgets are never shown themselves.
class SimVeilSurfaces : public VeilSurfaces {
public:
    explicit SimVeilSurfaces(SimDesktop& desktop) : desktop_(desktop) {}

    std::unique_ptr<VeilSurface> make(QWidget& content, std::uint32_t covered) override;
    bool windowed() const override { return false; }
    QString problem() const override { return problem_; }
    void onProblem(std::function<void()> told) override { told_ = std::move(told); }
    // Covering meets a problem (as when the window system's connection for
    // the covers is lost and cannot be opened again), said in these words.
    void setProblem(const QString& problem)
    {
        problem_ = problem;
        if (told_)
            told_();
    }

private:
    SimDesktop& desktop_;
    QString problem_;
    std::function<void()> told_;
};

} // namespace tavrin
