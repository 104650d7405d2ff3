#include "focus/views/focussection.h"

#include "design/designfont.h"
#include "design/tbutton.h"
#include "design/themedlabel.h"
#include "focus/focus.h"
#include "focus/views/calendarsline.h"
#include "focus/views/routinecard.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrin {

FocusSection::FocusSection(Focus& focus, QWidget* parent) : QWidget(parent), focus_(focus)
{
    setObjectName(QStringLiteral("focusSection"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kSpacing);
    auto* header = new QHBoxLayout;
    header->addWidget(
        new ThemedLabel(tr("Focus routines"), TTheme::Colour::ink, DesignFont::system(15, QFont::DemiBold)));
    header->addStretch();
    new_ = new TButton(tr("New routine"));
    header->addWidget(new_);
    connect(new_, &QAbstractButton::clicked, this, &FocusSection::newRoutine);
    column->addLayout(header);
    auto* explanation = new ThemedLabel(tr("Tavrin runs the routine whose trigger matches, and undoes everything "
                                           "when it ends."),
                                        TTheme::Colour::muted, DesignFont::system(12.5));
    explanation->setWordWrap(true);
    column->addWidget(explanation);
    cardList_ = new QVBoxLayout;
    cardList_->setContentsMargins(0, 0, 0, 0);
    cardList_->setSpacing(kSpacing);
    column->addLayout(cardList_);
    calendars_ = new CalendarsLine(focus_);
    column->addWidget(calendars_);

    dim_ = new QGraphicsOpacityEffect(this);
    dim_->setOpacity(kDimmed);
    setGraphicsEffect(dim_);
    connect(&focus_, &Focus::routinesChanged, this, &FocusSection::refreshCards);
    connect(&focus_, &Focus::enabledChanged, this, &FocusSection::refreshDim);
    refreshCards();
    refreshDim();
}

void FocusSection::newRoutine()
{
    QList<FocusRoutine> routines = focus_.routines();
    FocusRoutine routine;
    routine.id = QUuid::createUuid();
    routine.name = tr("Routine ") + QString::number(routines.size() + 1);
    routine.enabled = true;
    routine.eventWords.clear();
    routine.macFocus = false;
    routine.schedules.clear();
    routine.whileApps.clear();
    routine.actions = FocusRoutine::Actions();
    routines << routine;
    focus_.setRoutines(routines);
}

void FocusSection::refreshCards()
{
    // Cards are kept by routine id, in the list's order; a routine's card
    // keeps its open editors while the list changes around it.
    QList<RoutineCard*> next;
    QList<RoutineCard*> old = cards_;
    for (const FocusRoutine& routine : focus_.routines()) {
        const auto found = std::find_if(old.begin(), old.end(), [&](RoutineCard* c) { return c->id() == routine.id; });
        if (found != old.end()) {
            next << *found;
            old.erase(found);
        } else {
            next << new RoutineCard(focus_, routine.id);
        }
    }
    for (RoutineCard* gone : old) {
        gone->hide();
        gone->deleteLater(); // its own menu may have asked for this
    }
    while (QLayoutItem* item = cardList_->takeAt(0))
        delete item;
    for (RoutineCard* card : next)
        cardList_->addWidget(card);
    cards_ = next;
}

void FocusSection::refreshDim() { dim_->setEnabled(!focus_.enabled()); }

qreal FocusSection::opacity() const { return dim_->isEnabled() ? dim_->opacity() : 1.0; }

} // namespace tavrin
