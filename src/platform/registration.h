#pragma once

#include <functional>
#include <memory>
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
// holds for a subsystem built above it. A new registration replaces the one
// before; a handle takes back only its own registration. Handles may outlive
// the holder (they then do nothing).
template <class T>
class Collaborator {
public:
    Collaborator() = default;
    Collaborator(const Collaborator&) = delete;
    Collaborator& operator=(const Collaborator&) = delete;

    T* get() const { return *current_; }
    T* operator->() const { return *current_; }
    explicit operator bool() const { return *current_ != nullptr; }

    [[nodiscard]] Registration set(T& implementation)
    {
        *current_ = &implementation;
        return Registration([slot = std::weak_ptr<T*>(current_), added = &implementation] {
            if (const auto current = slot.lock(); current && *current == added)
                *current = nullptr;
        });
    }

private:
    std::shared_ptr<T*> current_ = std::make_shared<T*>(nullptr);
};

// The process's one registration point for interface T, for collaborators
// reached from values and free functions rather than from an object that
// could hold them (AXWindow's moves, what windows show).
template <class T>
Collaborator<T>& processWide()
{
    static Collaborator<T> collaborator;
    return collaborator;
}

} // namespace tavrin
