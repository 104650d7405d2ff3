#pragma once

#include "windows/unitrect.h"

#include <QString>
#include <optional>

namespace tavrin {

// What pressing one arrow key would do to the focused window, as the snap
// overlay previews it: where the window would go (none when nothing would
// happen) and its short label ("left ½", "put back", "nothing to undo").
struct ArrowPreview {
    std::optional<UnitRect> unit;
    QString label;

    friend bool operator==(const ArrowPreview&, const ArrowPreview&) = default;
};

} // namespace tavrin
