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

} // namespace TerminalFolder

} // namespace tavrin
