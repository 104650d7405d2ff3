#pragma once

#include "commandbar/listrow.h"
#include "design/tween.h"
#include "windows/unitrect.h"
#include "workspaces/plannedwindow.h"

#include <QPointer>

namespace tavrin {

class Timer;

// One planned window of the preview: its application's tile and name, what
// it shows (or "Opens · " and what it opens, in the accent colour), and the
// zone it will fill, by name and as a small glyph. The main window's row is
// highlighted. Not clickable. A row that is not yet revealed is in the
// layout but invisible and 4 points lower; revealing fades and slides it in.
class PlanRow : public ListRow {
    Q_OBJECT
public:
    static constexpr double kRevealSeconds = 0.35;
    static constexpr double kHiddenOffset = 4;

    PlanRow(const PlannedWindow& row, const UnitRect& zone, bool isMain, bool revealed, QWidget* parent = nullptr);

    const PlannedWindow& row() const { return row_; }
    const UnitRect& zone() const { return zone_; }
    bool isMain() const { return isMain_; }
    // The second line as written ("Opens · …" for a window the plan opens).
    QString detailText() const;
    QString zoneText() const { return zone_.zoneName(isMain_); }

    bool isRevealed() const { return shown_.target() >= 1; }
    void setRevealed(bool revealed, bool animated);
    // The opacity drawn now (0 hidden, 1 revealed).
    qreal presence() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double now() const;

    PlannedWindow row_;
    UnitRect zone_;
    bool isMain_;
    Tween shown_;
    QPointer<Timer> frames_;
};

} // namespace tavrin
