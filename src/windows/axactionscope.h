#pragma once

#include <set>

namespace tavrin {

// One window action's memory of applications that did not answer. While a
// scope is open on a thread, an application whose Accessibility call timed
// out is not asked again on that thread: its further calls fail at once, so
// an application that hangs costs one time-out per action. Scopes nest; an
// inner scope shares the outermost one's memory.
class AXActionScope {
public:
    AXActionScope();
    ~AXActionScope();
    AXActionScope(const AXActionScope&) = delete;
    AXActionScope& operator=(const AXActionScope&) = delete;

    // Whether the current scope saw `pid` time out (false without a scope).
    static bool isUnresponsive(int pid);
    // Notes a time-out of `pid` in the current scope (nothing without one).
    static void markUnresponsive(int pid);

private:
    std::set<int> unresponsive_;
    bool outermost_ = false;
};

} // namespace tavrin
