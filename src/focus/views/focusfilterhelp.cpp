#include "focus/views/focusfilterhelp.h"

#include "design/tbutton.h"
#include "design/themedlabel.h"
#include "focus/views/editorparts.h"
#include "platform/platform.h"
#include "platform/workspace.h"

#include <QUrl>
#include <QVBoxLayout>

namespace tavrin {

FocusFilterHelp::FocusFilterHelp(const QString& routineName, QWidget* parent) : QWidget(parent)
{
    QVBoxLayout* column = EditorParts::column(this, 300, 8);
    column->addWidget(EditorParts::text(tr("Runs while a Mac Focus is on, once you add Tavrin to it:")));
    steps_ = EditorParts::text(QString(), 12, TTheme::Colour::muted);
    column->addWidget(steps_);
    open_ = new TButton(tr("Open Focus settings"));
    column->addWidget(open_, 0, Qt::AlignLeft);
    connect(open_, &QAbstractButton::clicked, this, [] {
        if (Workspace* workspace = Platform::current().workspace)
            workspace->openUrl(QUrl(kFocusSettings));
    });
    setRoutineName(routineName);
}

void FocusFilterHelp::setRoutineName(const QString& name)
{
    steps_->setText(tr("System Settings › Focus › (pick a Focus) › Focus filters › Add Filter › Tavrin, then choose “")
                    + name + tr("”."));
}

} // namespace tavrin
