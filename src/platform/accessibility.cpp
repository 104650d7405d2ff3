#include "platform/accessibility.h"

namespace tavrin {

AXError Accessibility::setFrame(const AXElement& window, const Rect& frame)
{
    const AXError sized = setAttribute(window, ax::Size, frame.size());
    if (sized == AXError::cannotComplete)
        return sized;
    const AXError moved = setAttribute(window, ax::Position, frame.origin());
    if (moved == AXError::cannotComplete)
        return moved;
    const AXError resized = setAttribute(window, ax::Size, frame.size());
    return resized == AXError::cannotComplete ? resized : moved;
}

} // namespace tavrin
