#pragma once

#include <functional>
#include <utility>

namespace tavrin {

// An owning handle for something registered with another component (an
// observer, an advisor, a collaborator): destroying the handle, or reset(),
// takes the registration back. Move-only. Main thread only.
class Registration {
public:
    Registration() = default;
    // `undo` runs once, when the handle is destroyed or reset.
    explicit Registration(std::function<void()> undo) : undo_(std::move(undo)) {}
    Registration(Registration&& other) noexcept : undo_(std::exchange(other.undo_, nullptr)) {}
    Registration& operator=(Registration&& other) noexcept
    {
        if (this != &other) {
            reset();
            undo_ = std::exchange(other.undo_, nullptr);
        }
        return *this;
    }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
    ~Registration() { reset(); }

    void reset()
    {
        if (auto undo = std::exchange(undo_, nullptr))
            undo();
    }
    explicit operator bool() const { return static_cast<bool>(undo_); }

private:
    std::function<void()> undo_;
};

// The one registered implementation of interface T, if any: what a lower layer
// holds for a subsystem built above it. A second registration stands in for
// the first until its handle goes; then the first is back.
template <class T>
class Collaborator {
public:
    T* get() const { return current_; }
    T* operator->() const { return current_; }
    explicit operator bool() const { return current_ != nullptr; }

    [[nodiscard]] Registration set(T& implementation)
    {
        T* previous = std::exchange(current_, &implementation);
        return Registration([this, previous, added = &implementation] {
            if (current_ == added)
                current_ = previous;
        });
    }

private:
    T* current_ = nullptr;
};

} // namespace tavrin
