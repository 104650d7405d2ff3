#pragma once

#include "design/ttheme.h"

#include <QColor>
#include <QList>
#include <QString>

namespace tavrin {

// What a miniature window shows, worked out from the application's name
// alone: a code editor's coloured tokens, a terminal's lines, or a generic
// application's badges and placeholder bars. The same name always draws the
// same window.
class MiniWindowModel {
public:
    enum class Kind { codeEditor, terminal, generic };

    struct Metrics {
        qreal titleBarHeight;
        qreal buttonDiameter;
        qreal titleSpacing;
        qreal sideMargin;
        qreal contentMargin;
        qreal lineHeight;
        qreal lineSpacing;
        int maxLines;
        qreal radius;
        qreal shadowOpacity;
        qreal shadowBlur;
        qreal shadowOffset;
        bool titleHairline;
        bool showsTitle;
    };

    // One shape of a content line: a capsule bar, or a circle for a badge.
    // `x` is measured from the content's leading edge.
    struct Bar {
        qreal x;
        qreal width;
        QColor colour;
        bool circle = false;
        friend bool operator==(const Bar&, const Bar&) = default;
    };

    static const Metrics& metrics(bool large);

    // The kind for an application's name: compared whole, lower-cased, with
    // the known editors and terminals.
    static Kind kind(const QString& app);
    // The sum of the name's Unicode scalar values, as written.
    static int seed(const QString& app);
    // How many content lines fit a window `height` high: at least 1, at
    // most the form's limit.
    static int lineCount(qreal height, bool large);
    // Content line `index` for a window `width` wide.
    static QList<Bar> line(Kind kind, int seed, int index, qreal width, const Metrics& m, const TTheme& t);

    // Editors and terminals are dark in both schemes.
    static bool isDark(Kind kind) { return kind != Kind::generic; }
    static QColor titleBarColour(Kind kind, const TTheme& t);
    static QColor contentColour(Kind kind, const TTheme& t);
    static QColor titleTextColour(Kind kind, const TTheme& t);
    static QColor hairlineColour(Kind kind, const TTheme& t);
    // The three window buttons, left to right.
    static const QList<QColor>& buttonColours();
    static const QList<QColor>& codePalette();
    static const QList<QColor>& badgePalette();
};

} // namespace tavrin
