#include "workspaces/windowcontent.h"

namespace tavrin {

namespace {
Collaborator<WindowContent>& current()
{
    static Collaborator<WindowContent> content;
    return content;
}
} // namespace

Registration WindowContent::install(WindowContent& content)
{
    return current().set(content);
}

WindowContent* WindowContent::installed()
{
    return current().get();
}

} // namespace tavrin
