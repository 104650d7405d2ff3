#pragma once

#include <QString>
#include <optional>

namespace tavrin {

// The folder a terminal window is in, for terminals that run one process
// per window: the working folder of the shell in the foreground of the
// terminal's device — the terminal's child shell, or a shell started from it
// that the user is typing into now. Read from /proc.
namespace TerminalFolder {

// None when the process has no child shell or its folder cannot be read.
std::optional<QString> of(int terminalPid);
// For a terminal whose one process serves several windows (Xfce Terminal):
// the folder of the shells it started for `window`, which it tells each
// shell in its environment (WINDOWID, the X window's id). None when no
// shell names that window, or when its shells (the window's tabs) work in
// different folders, of which the one in front cannot be told.
std::optional<QString> ofWindow(int terminalPid, quint32 window);

} // namespace TerminalFolder

} // namespace tavrin
