#include "windows/axactionscope.h"

namespace tavrin {

namespace {
// The outermost open scope's memory on this thread, if any.
thread_local std::set<int>* t_unresponsive = nullptr;
} // namespace

AXActionScope::AXActionScope()
{
    if (!t_unresponsive) {
        t_unresponsive = &unresponsive_;
        outermost_ = true;
    }
}

AXActionScope::~AXActionScope()
{
    if (outermost_)
        t_unresponsive = nullptr;
}

bool AXActionScope::isUnresponsive(int pid) { return t_unresponsive && t_unresponsive->count(pid) > 0; }

void AXActionScope::markUnresponsive(int pid)
{
    if (t_unresponsive)
        t_unresponsive->insert(pid);
}

} // namespace tavrin
