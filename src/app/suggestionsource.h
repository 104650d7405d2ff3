#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace tavrin {

// The suggestions learned from habits and placements that the menu-bar window
// offers, one at a time.
class SuggestionSource {
public:
    struct Habit {
        QString app;
        int minute = 0; // of the day
        std::function<void()> accept;
        std::function<void()> dismiss;
    };
    struct Placement {
        QString app;
        QString zone;
        int times = 0;
        int total = 0;
        QString sentence; // the zone in words: "in the edge strip", "full screen", …
        std::function<void()> keep;
        std::function<void()> dismiss;
    };

    virtual ~SuggestionSource() = default;
    virtual std::optional<Habit> habit() const = 0;
    virtual std::optional<Placement> placement() const = 0;
};

} // namespace tavrin
