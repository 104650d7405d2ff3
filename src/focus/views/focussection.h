#pragma once

#include <QList>
#include <QUuid>
#include <QWidget>

class QGraphicsOpacityEffect;
class QVBoxLayout;

namespace tavrin {

class CalendarsLine;
class Focus;
class RoutineCard;
class TButton;

// The Focus routines block of the modes pane: the title with "New routine",
// what routines do, one card per routine of the engine's list in order, and
// the calendars line. At half opacity while Focus routines are off, and
// still editable then.
class FocusSection : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 10;
    static constexpr qreal kDimmed = 0.5;

    explicit FocusSection(Focus& focus, QWidget* parent = nullptr);

    // Adds "Routine N" (N: the number of routines plus one), switched on,
    // without triggers or actions, at the end of the list.
    void newRoutine();

    const QList<RoutineCard*>& cards() const { return cards_; }
    CalendarsLine* calendarsLine() const { return calendars_; }
    qreal opacity() const;

private:
    void refreshCards();
    void refreshDim();

    Focus& focus_;
    TButton* new_;
    QVBoxLayout* cardList_;
    QList<RoutineCard*> cards_;
    CalendarsLine* calendars_;
    QGraphicsOpacityEffect* dim_;
};

} // namespace tavrin
