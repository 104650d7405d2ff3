#pragma once

#include <QAccessibleWidget>
#include <QList>

namespace tavrin {

class TSeg;

// What assistive technology reads of a `TSeg`: a group with one button per
// segment, named by its label; the selected segment carries the selected
// state, the others none. Pressing a segment selects it, as a click does.
class TSegAccessible : public QAccessibleWidget {
public:
    explicit TSegAccessible(QWidget* widget);
    ~TSegAccessible() override;

    // Makes every `TSeg` answer with this interface (once per process).
    static void install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    TSeg* seg() const;

private:
    class Segment;
    mutable QList<QAccessible::Id> segments_;
};

} // namespace tavrin
