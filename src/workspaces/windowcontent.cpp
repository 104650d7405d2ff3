#include "workspaces/windowcontent.h"

namespace tavrin {

Registration WindowContent::install(WindowContent& content) { return processWide<WindowContent>().set(content); }

WindowContent* WindowContent::installed() { return processWide<WindowContent>().get(); }

} // namespace tavrin
