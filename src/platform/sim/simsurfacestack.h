#pragma once

#include "platform/geometry.h"
#include "platform/sim/simstate.h"

#include <cstdint>
#include <vector>

class QWidget;

namespace tavrin {

// A surface of this process on the simulated desktop (a veil): not one of
// the applications' windows, but on screen among them.
struct SimSurface {
    std::uint32_t number = 0;
    Rect frame;
    int level = 0;
    bool visible = false;
    // At the normal level: the window it stands directly above (its token;
    // 0: behind every window). Several surfaces on one window stand in `order`,
    // the lowest furthest forward.
    std::uint64_t anchor = 0;
    // Floating: the highest stands furthest forward.
    double order = 0;
    QWidget* content = nullptr;
    // How often its content was drawn for a new size.
    int redraws = 0;
};

// One place in the desktop's front-to-back order: a window or a surface.
struct SimStackEntry {
    const SimWindow* window = nullptr;
    const SimSurface* surface = nullptr;
    int layer() const { return window ? window->layer : surface->level; }
};

// The surfaces and where each stands among the windows. A surface keeps its
// place when the windows around it move: one that stood directly above a
// window that is raised, sent back or closed stays where it was, above the
// window that was below that one.
class SimSurfaceStack {
public:
    SimSurface& add(std::uint32_t number, QWidget* content);
    void remove(std::uint32_t number);
    SimSurface* find(std::uint32_t number);
    const std::vector<SimSurface>& all() const { return surfaces_; }

    // At the normal level, directly above the window with `token` (the front
    // of the level when none has it); floating, the front of the floating ones.
    void orderAbove(SimSurface& surface, std::uint64_t token, const std::vector<SimWindow>& windows);
    void orderFront(SimSurface& surface, const std::vector<SimWindow>& windows);
    void setLevel(SimSurface& surface, int level, const std::vector<SimWindow>& windows);

    // Call before windows leave their place in `windows` (raised, sent back,
    // closed): surfaces standing over them stay where they are.
    void windowsLeaving(const std::vector<std::uint64_t>& tokens, const std::vector<SimWindow>& windows);
    // Every window of `windows` and every visible surface, front to back;
    // floating surfaces before everything below their level.
    std::vector<SimStackEntry> merged(const std::vector<SimWindow>& windows) const;

private:
    void renumber(std::uint64_t anchor, const std::vector<const SimSurface*>& frontToBack);

    std::vector<SimSurface> surfaces_;
    double floatingOrder_ = 0;
};

} // namespace tavrin
