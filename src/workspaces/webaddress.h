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

} // namespace tavrin
