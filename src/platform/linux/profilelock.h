#pragma once

#include <QString>

namespace tavrin {

// The lock a running browser holds in its profile folder: a symbolic link
// whose target ends in the process id (Firefox's "lock", "<address>:+<pid>";
// Chromium's "SingletonLock", "<host>-<pid>"). A profile whose browser does
// not run holds nothing current: its session file is what a past run left.
namespace ProfileLock {

// Whether `lockPath` is such a link naming a process that runs here (or one
// whose process id cannot be told from it).
bool held(const QString& lockPath);

} // namespace ProfileLock

} // namespace tavrin
