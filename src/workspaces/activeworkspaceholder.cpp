#include "workspaces/activeworkspaceholder.h"

#include "platform/platform.h"

namespace tavrin {

const std::optional<ActiveWorkspace>& ActiveWorkspaceHolder::get() const
{
    if (installation_ != Platform::installation()) {
        installation_ = Platform::installation();
        value_.reset();
    }
    return value_;
}

void ActiveWorkspaceHolder::set(std::optional<ActiveWorkspace> value)
{
    if (value == get())
        return;
    value_ = std::move(value);
    emit changed();
}

} // namespace tavrin
