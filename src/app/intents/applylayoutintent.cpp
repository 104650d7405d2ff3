#include "app/intents/applylayoutintent.h"

#include "windows/windowmanager.h"

#include <QCoreApplication>

namespace tavrin {

QString ApplyLayoutIntent::title() { return QCoreApplication::translate("ApplyLayoutIntent", "Arrange Windows"); }

QString ApplyLayoutIntent::parameterSummary() const
{
    return QCoreApplication::translate("ApplyLayoutIntent", "Arrange windows in %1").arg(displayName(layout));
}

IntentResult ApplyLayoutIntent::perform(WindowManager& windows) const
{
    windows.applyLayout(layoutKind(layout), true);
    return IntentResult::nothing();
}

} // namespace tavrin
