#include "platform/axelement.h"

namespace tavrin {

const char* axErrorName(AXError error)
{
    switch (error) {
    case AXError::success: return "success";
    case AXError::noValue: return "noValue";
    case AXError::attributeUnsupported: return "attributeUnsupported";
    case AXError::actionUnsupported: return "actionUnsupported";
    case AXError::illegalArgument: return "illegalArgument";
    case AXError::invalidElement: return "invalidElement";
    case AXError::cannotComplete: return "cannotComplete";
    case AXError::apiDisabled: return "apiDisabled";
    }
    return "unknown";
}

} // namespace tavrin
