#pragma once

#include "platform/geometry.h"

#include <QObject>
#include <cstdint>

namespace tavrin {

// Device-independent modifier flags of keyboard events.
namespace modflag {
constexpr std::uint64_t shift = 1ull << 17;
constexpr std::uint64_t control = 1ull << 18;
constexpr std::uint64_t option = 1ull << 19;
constexpr std::uint64_t command = 1ull << 20;
constexpr std::uint64_t deviceIndependentMask = 0xffff0000ull;
} // namespace modflag

// Watching input that goes to other applications (global) and to this one
// (local).
class EventMonitors : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual std::uint64_t currentModifierFlags() = 0;
    // Bit 0 the left button, bit 1 the right, then the others.
    virtual std::uint32_t pressedMouseButtons() = 0;
    virtual Point mouseLocation() = 0;

signals:
    void globalModifierFlagsChanged(std::uint64_t flags);
    void localModifierFlagsChanged(std::uint64_t flags);
    void globalLeftMouseDown(tavrin::Point location);
    void globalLeftMouseUp(tavrin::Point location);
};

} // namespace tavrin
