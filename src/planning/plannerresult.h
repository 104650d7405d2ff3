#pragma once

#include "planning/plannererror.h"

#include <utility>
#include <variant>

namespace tavrin {

// A planner's value or its error; failures travel as values.
template <class T>
class PlannerResult {
public:
    PlannerResult(T value) : v_(std::move(value)) {}
    PlannerResult(PlannerError error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    const T& value() const { return std::get<0>(v_); }
    T& value() { return std::get<0>(v_); }
    const PlannerError& error() const { return std::get<1>(v_); }

private:
    std::variant<T, PlannerError> v_;
};

} // namespace tavrin
