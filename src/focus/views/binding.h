#pragma once

#include <functional>

namespace tavrin {

// A value an editor shows and changes in place: `get` reads it where it
// lives, `set` writes it back there.
template <class T>
struct Binding {
    std::function<T()> get;
    std::function<void(const T&)> set;
};

} // namespace tavrin
