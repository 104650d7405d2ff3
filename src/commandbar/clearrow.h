#pragma once

#include "commandbar/listrow.h"
#include "workspaces/plannedclear.h"

class QPainter;

namespace tavrin {

// One application the plan hides or quits: its dimmed tile, its name, what
// will happen (the quit explanation in the warnings' amber) and a small
// symbol (an eye struck through, or a circled cross). Not clickable.
class ClearRow : public ListRow {
    Q_OBJECT
public:
    explicit ClearRow(const PlannedClear& clear, QWidget* parent = nullptr);

    const PlannedClear& clear() const { return clear_; }
    // "Hides · Undo shows it again" or "Quits · it asks about anything
    // unsaved · Undo reopens it".
    static QString explanation(ClearAction action);
    // The second line: a hidden window's title, then the explanation.
    QString detail() const;
    // The fixed amber of warnings.
    static QColor amber() { return QColor(240, 168, 58); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static void paintSymbol(QPainter& painter, const QRectF& box, ClearAction action, const QColor& colour);

    PlannedClear clear_;
};

} // namespace tavrin
