#include "focus/views/focusfilterhelp.h"

#include "design/themedlabel.h"
#include "focus/views/editorparts.h"

#include <QVBoxLayout>

namespace tavrin {

FocusFilterHelp::FocusFilterHelp(const QString& routineName, QWidget* parent) : QWidget(parent)
{
    QVBoxLayout* column = EditorParts::column(this, 300, 8);
    // The column fills the popover: aligned, it would take its size hint,
    // which gives the wrapped instructions fewer lines than they need.
    column->setAlignment(Qt::Alignment());
    column->addWidget(EditorParts::text(tr("Runs while the Focus filter names it:")));
    steps_ = EditorParts::text(QString(), 12, TTheme::Colour::muted);
    column->addWidget(steps_);
    setRoutineName(routineName);
}

void FocusFilterHelp::setRoutineName(const QString& name)
{
    steps_->setText(tr("tavrin intent focus-filter \"%1\" as your Focus starts; without a name as it ends.").arg(name));
}

} // namespace tavrin
