#pragma once

#include <cstdint>

namespace tavrin {

// The X keysym of a Mac virtual key code (the ANSI layout's keys, the
// function, editing and arrow keys and the keypad); 0 for a code without one.
std::uint32_t keysymForMacKeyCode(std::uint32_t keyCode);

} // namespace tavrin
