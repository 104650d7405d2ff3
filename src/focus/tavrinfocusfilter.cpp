#include "focus/tavrinfocusfilter.h"

#include "focus/focus.h"

namespace tavrin {

QString TavrinFocusFilter::title() { return QStringLiteral("Tavrin"); }

QString TavrinFocusFilter::description()
{
    return QStringLiteral(
        "Runs a Tavrin Focus routine while this Focus is on: hide or quit apps, arrange windows, open a workspace.");
}

QString TavrinFocusFilter::routineTitle() { return QStringLiteral("Routine"); }

QString TavrinFocusFilter::displayTitle() const { return routine ? routine->name : QStringLiteral("Choose a routine"); }

QString TavrinFocusFilter::displaySubtitle() { return QStringLiteral("Tavrin Focus routine"); }

void TavrinFocusFilter::perform(Focus& focus) const
{
    focus.setMacFocus(routine ? std::optional(routine->id) : std::nullopt);
}

} // namespace tavrin
