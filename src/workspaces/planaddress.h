#pragma once

#include "workspaces/webaddress.h"

#include <QString>
#include <optional>

namespace tavrin {

// Which addresses a plan may open. A planner's answer is untrusted input: of
// its addresses only web pages (http, https, with a host) are ever opened.
// A saved workspace's addresses were read from the user's own windows: its
// documents and folders (file addresses) open as well. Nothing else does.
enum class AddressTrust { planner, saved };

// The address in the form to open, or none when it may not be opened.
std::optional<QString> openableAddress(const QString& address, AddressTrust trust);

// A web address cleaned by the integrations (as it is until they are there);
// none when it is not a web address.
std::optional<QString> cleanedWebAddress(const QString& address);

// How a row names an address it opens: the host (shown as `displayHost`
// shows it), the whole address when it has no host, the file name of a file address, "New window" when there is
// no address or it does not parse.
QString addressDetail(const std::optional<QString>& address);

} // namespace tavrin
