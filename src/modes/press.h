#pragma once

#include "platform/geometry.h"

#include <cstdint>
#include <optional>

namespace tavrin {

// The left-button press on a veiled window that the veils follow while the
// user drags: what part of the window was pressed, where the pointer is and
// how fast it moves, and so where the window is going.
struct Press {
    // What was pressed, refined while dragging: the window's edges (a
    // resize), its title bar, its content, content that turned out to move
    // the window, or something that does not move it.
    enum class Kind { resize, bar, body, move, none };
    // The edges a resize moves.
    struct Edges {
        bool left = false;
        bool right = false;
        bool top = false;
        bool bottom = false;
    };

    std::uint32_t number = 0; // the pressed window
    Point start;              // pointer at the press
    Rect bounds;              // the window at the press
    Kind kind = Kind::body;
    Edges edges;                // of a resize
    Point last;                 // pointer at the latest drag event (the press at first)
    double startTime = 0;       // monotonic seconds of the platform clock
    std::uint64_t lastTime = 0; // the latest drag event, ns of the event clock; 0 before the first
    double speed = 0;           // smoothed pointer speed, points a second
    Point velocity;             // smoothed pointer velocity, points a second on each axis
    double extra = 0;           // extra margin for a resizing window's veil
    double extraSince = 0;      // when `extra` last changed (monotonic seconds)
    std::optional<Point> live;  // the freshest pointer position read during a resize

    // The window follows the pointer.
    bool follows() const { return kind == Kind::bar || kind == Kind::move; }

    // Where the window is going: the bounds moved with the pointer (bar,
    // move); the bounds with the pressed edges moved with it (resize, also
    // taking in the live pointer when read); none for the others.
    std::optional<Rect> predictedFrame() const;
};

} // namespace tavrin
