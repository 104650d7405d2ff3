#pragma once

#include "platform/geometry.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace tavrin {

// A handle to one Accessibility element of some process: an application
// element (`token` 0), the system-wide element (`pid` kSystemWidePid) or an
// element inside an application (a window, a button). Two handles are the
// same element when they compare equal; `hash()` is stable for the element's
// lifetime.
struct AXElement {
    static constexpr int kSystemWidePid = -1;

    int pid = 0;
    std::uint64_t token = 0;

    bool isValid() const { return pid != 0; }
    bool isApplication() const { return pid > 0 && token == 0; }
    bool isSystemWide() const { return pid == kSystemWidePid; }
    std::size_t hash() const { return std::hash<std::uint64_t>{}(token ^ (std::uint64_t(std::uint32_t(pid)) << 40)); }

    friend bool operator==(const AXElement&, const AXElement&) = default;
};

// How an Accessibility call can fail. `success` carries a value.
enum class AXError {
    success,
    noValue,              // the attribute exists but holds nothing
    attributeUnsupported, // the element has no such attribute (not readable / not settable)
    actionUnsupported,
    illegalArgument, // a value of the wrong type for the attribute
    invalidElement,  // the element is gone
    cannotComplete,  // the application did not answer within its messaging time-out
    apiDisabled,     // this process is not trusted for Accessibility
};

// The values attributes hold. Strings are QString; positions and sizes are
// points; "AXWindows" is a list of elements; "AXFocusedWindow" an element.
using AXValue = std::variant<std::monostate, bool, double, QString, Point, Size, AXElement, std::vector<AXElement>>;

struct AXResult {
    AXError error = AXError::noValue;
    AXValue value;

    bool ok() const { return error == AXError::success; }
    template <class T>
    std::optional<T> as() const
    {
        if (!ok())
            return std::nullopt;
        if (const T* v = std::get_if<T>(&value))
            return *v;
        return std::nullopt;
    }
};

} // namespace tavrin

template <>
struct std::hash<tavrin::AXElement> {
    std::size_t operator()(const tavrin::AXElement& e) const noexcept { return e.hash(); }
};
