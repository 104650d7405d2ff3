#include "workspaces/activeworkspaceholder.h"

namespace tavrin {

void ActiveWorkspaceHolder::set(std::optional<ActiveWorkspace> value)
{
    if (value == value_)
        return;
    value_ = std::move(value);
    emit changed();
}

} // namespace tavrin
