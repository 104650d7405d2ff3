#pragma once

#include "platform/platform.h"

namespace tavrin {

// A desktop the program runs on: the simulated one or a real one. It owns
// the services that depend on it and hands them out together with the
// common ones the caller runs on.
class Desktop {
public:
    virtual ~Desktop() = default;

    // Starts the services over this desktop and answers them: those it makes
    // itself (made on the first call, over what `common` lends, such as the
    // clock its windows' moves are batched on; later calls answer the same
    // ones), the rest taken from `common` (settings, key store, clock,
    // network, appearance, language model). What `common` lends must
    // outlive the desktop.
    virtual Platform startServices(const Platform& common) = 0;
};

} // namespace tavrin
