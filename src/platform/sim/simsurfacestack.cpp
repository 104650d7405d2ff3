#include "platform/sim/simsurfacestack.h"

#include <algorithm>
#include <unordered_set>

namespace tavrin {

SimSurface& SimSurfaceStack::add(std::uint32_t number, QWidget* content)
{
    SimSurface s;
    s.number = number;
    s.content = content;
    surfaces_.push_back(s);
    return surfaces_.back();
}

void SimSurfaceStack::remove(std::uint32_t number)
{
    std::erase_if(surfaces_, [number](const SimSurface& s) { return s.number == number; });
}

SimSurface* SimSurfaceStack::find(std::uint32_t number)
{
    for (SimSurface& s : surfaces_)
        if (s.number == number)
            return &s;
    return nullptr;
}

void SimSurfaceStack::orderAbove(SimSurface& surface, std::uint64_t token, const std::vector<SimWindow>& windows)
{
    const bool known =
        std::any_of(windows.begin(), windows.end(), [token](const SimWindow& w) { return w.token == token; });
    if (surface.level != 0 || !known) {
        orderFront(surface, windows);
        return;
    }
    // Closest to the window: after every other surface on it.
    double last = -1;
    for (const SimSurface& s : surfaces_)
        if (&s != &surface && s.level == 0 && s.anchor == token)
            last = std::max(last, s.order);
    surface.anchor = token;
    surface.order = last + 1;
    surface.visible = true;
}

void SimSurfaceStack::orderFront(SimSurface& surface, const std::vector<SimWindow>& windows)
{
    surface.visible = true;
    if (surface.level != 0) {
        surface.order = ++floatingOrder_;
        return;
    }
    const std::uint64_t front = windows.empty() ? 0 : windows.front().token;
    double first = 1;
    for (const SimSurface& s : surfaces_)
        if (&s != &surface && s.level == 0 && s.anchor == front)
            first = std::min(first, s.order);
    surface.anchor = front;
    surface.order = first - 1;
}

void SimSurfaceStack::setLevel(SimSurface& surface, int level, const std::vector<SimWindow>& windows)
{
    if (surface.level == level)
        return;
    surface.level = level;
    const bool visible = surface.visible;
    orderFront(surface, windows);
    surface.visible = visible;
}

void SimSurfaceStack::windowsLeaving(const std::vector<std::uint64_t>& tokens, const std::vector<SimWindow>& windows)
{
    const std::unordered_set<std::uint64_t> leaving(tokens.begin(), tokens.end());
    const bool any = std::any_of(surfaces_.begin(), surfaces_.end(), [&](const SimSurface& s) {
        return s.level == 0 && s.anchor != 0 && leaving.count(s.anchor);
    });
    if (!any)
        return;
    // The surfaces in their present order; each that stands over a leaving
    // window goes onto the first window behind it that stays.
    std::vector<const SimSurface*> order;
    for (const SimStackEntry& e : merged(windows))
        if (e.surface && e.surface->level == 0)
            order.push_back(e.surface);
    for (const SimSurface& s : surfaces_)
        if (s.level == 0 && !s.visible)
            order.push_back(&s);
    std::vector<std::uint64_t> touched;
    for (SimSurface& s : surfaces_) {
        if (s.level != 0 || !leaving.count(s.anchor))
            continue;
        auto it = std::find_if(windows.begin(), windows.end(), [&](const SimWindow& w) { return w.token == s.anchor; });
        while (it != windows.end() && leaving.count(it->token))
            ++it;
        s.anchor = it == windows.end() ? 0 : it->token;
        touched.push_back(s.anchor);
    }
    for (std::uint64_t anchor : touched)
        renumber(anchor, order);
}

void SimSurfaceStack::renumber(std::uint64_t anchor, const std::vector<const SimSurface*>& frontToBack)
{
    double n = 0;
    for (const SimSurface* s : frontToBack)
        if (s->anchor == anchor)
            find(s->number)->order = n++;
}

std::vector<SimStackEntry> SimSurfaceStack::merged(const std::vector<SimWindow>& windows) const
{
    auto onAnchor = [this](std::uint64_t anchor) {
        std::vector<const SimSurface*> out;
        for (const SimSurface& s : surfaces_)
            if (s.visible && s.level == 0 && s.anchor == anchor)
                out.push_back(&s);
        std::sort(out.begin(), out.end(), [](const SimSurface* a, const SimSurface* b) { return a->order < b->order; });
        return out;
    };
    std::vector<SimStackEntry> out;
    out.reserve(windows.size() + surfaces_.size());
    const bool anyNormal =
        std::any_of(surfaces_.begin(), surfaces_.end(), [](const SimSurface& s) { return s.visible && s.level == 0; });
    for (const SimWindow& w : windows) {
        if (anyNormal)
            for (const SimSurface* s : onAnchor(w.token))
                out.push_back({nullptr, s});
        out.push_back({&w, nullptr});
    }
    if (anyNormal) {
        // Behind every window: those on no window, or on one that is gone.
        std::unordered_set<std::uint64_t> tokens;
        for (const SimWindow& w : windows)
            tokens.insert(w.token);
        for (const SimSurface* s : onAnchor(0))
            out.push_back({nullptr, s});
        for (const SimSurface& s : surfaces_)
            if (s.visible && s.level == 0 && s.anchor != 0 && !tokens.count(s.anchor))
                out.push_back({nullptr, &s});
    }

    std::vector<const SimSurface*> floating;
    for (const SimSurface& s : surfaces_)
        if (s.visible && s.level != 0)
            floating.push_back(&s);
    if (floating.empty())
        return out;
    std::sort(floating.begin(), floating.end(), [](const SimSurface* a, const SimSurface* b) {
        return a->level != b->level ? a->level > b->level : a->order > b->order;
    });
    for (const SimSurface* s : floating) {
        auto at = std::find_if(out.begin(), out.end(), [s](const SimStackEntry& e) { return e.layer() < s->level; });
        out.insert(at, {nullptr, s});
    }
    return out;
}

} // namespace tavrin
