#include "focus/views/applisteditor.h"

#include "design/apptile.h"
#include "design/designfont.h"
#include "design/tbutton.h"
#include "design/themedlabel.h"
#include "focus/views/editorparts.h"
#include "focus/views/removebutton.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrin {

AppListEditor::AppListEditor(Binding<QStringList> apps, std::function<void()> add, const QString& hint, QWidget* parent)
    : QWidget(parent),
      apps_(std::move(apps))
{
    QVBoxLayout* column = EditorParts::column(this, 260, 6);
    // The column fills the editor: aligned, it would take its size hint,
    // which gives the wrapped hint fewer lines than it needs at this width,
    // and the hint would be cut and drawn over "Add apps…".
    column->setAlignment(Qt::Alignment());
    rows_ = new QVBoxLayout;
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(6);
    column->addLayout(rows_);
    add_ = new TButton(tr("Add apps…"));
    column->addWidget(add_, 0, Qt::AlignLeft);
    connect(add_, &QAbstractButton::clicked, this, [add = std::move(add)] {
        if (add)
            add();
    });
    column->addWidget(EditorParts::hint(hint));
    refresh();
}

void AppListEditor::refresh()
{
    const QStringList apps = apps_.get();
    if (apps == shown_)
        return;
    shown_ = apps;
    while (QLayoutItem* item = rows_->takeAt(0)) {
        if (QWidget* row = item->widget()) {
            row->hide();
            row->deleteLater(); // the cross that asked for this may be inside
        }
        delete item;
    }
    for (const QString& name : apps) {
        auto* row = new QWidget;
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(8);
        line->addWidget(new AppTile(name, 18));
        line->addWidget(new ThemedLabel(name, TTheme::Colour::ink, DesignFont::system(12.5)));
        line->addStretch();
        auto* cross = new RemoveButton(name, 10);
        line->addWidget(cross);
        connect(cross, &QAbstractButton::clicked, this, [this, name] { removeApp(name); });
        rows_->addWidget(row);
    }
}

void AppListEditor::removeApp(const QString& name)
{
    QStringList apps = apps_.get();
    apps.removeAll(name);
    apps_.set(apps);
}

} // namespace tavrin
