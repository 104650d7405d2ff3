#pragma once

#include "platform/appearance.h"

#include <QColor>
#include <QMetaType>

namespace tavrin {

// The colour set every view of the design system draws with. There are
// exactly two, made once: one for the light and one for the dark scheme.
struct TTheme {
    // The fields by name, in field order, for views that are told which
    // colour to take (a text's colour, for instance).
    enum class Colour {
        ink,
        muted,
        line,
        accent,
        fill,
        fillHover,
        glassStrong,
        winBG,
        winTB,
        winLine,
        skel,
        good,
        winSide,
        danger
    };

    QColor ink;         // primary text, the label of normal buttons
    QColor muted;       // secondary text, key caps, ghost buttons
    QColor line;        // 0.5-point outlines
    QColor accent;      // primary buttons, highlighted zones
    QColor fill;        // quiet backgrounds
    QColor fillHover;   // pressed normal buttons, key caps, the switch's off track
    QColor glassStrong; // raised surfaces
    QColor winBG;       // miniature windows' body; text fields
    QColor winTB;       // miniature windows' title bar
    QColor winLine;     // miniature windows' outline
    QColor skel;        // placeholder lines
    QColor good;        // the switch's on track, success
    QColor winSide;     // miniature windows' side bar
    QColor danger;      // errors

    static const TTheme& light();
    static const TTheme& dark();
    static const TTheme& forScheme(ColorScheme scheme);

    const QColor& colour(Colour which) const;

    friend bool operator==(const TTheme&, const TTheme&) = default;
};

} // namespace tavrin

Q_DECLARE_METATYPE(tavrin::TTheme)
