#pragma once

#include <QString>
#include <QUrl>

namespace tavrin {

// An address as written by a planner or read from a window, parsed strictly.
QUrl parseAddress(const QString& address);
// http or https with a host.
bool isWebAddress(const QString& address);
// A file address naming a path.
bool isFileAddress(const QString& address);

// The address (trimmed) without a user name or password; as written when it
// has none. An address that does not parse is returned trimmed.
QString withoutUserInfo(const QString& address);

// How a host is shown: its Unicode form when each of its labels is written
// in one script (Latin may join Chinese, Japanese or Korean scripts), else
// its ASCII (punycode) form, so that a look-alike host cannot pass for
// another.
QString displayHost(const QUrl& url);

} // namespace tavrin
