#include "focus/views/macfocuseditor.h"

#include "design/tbutton.h"
#include "focus/focus.h"
#include "focus/views/editorparts.h"
#include "focus/views/menupicker.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/workspace.h"

#include <QDir>
#include <QHBoxLayout>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>

namespace tavrin {

MacFocusEditor::MacFocusEditor(const Platform& platform, OptionalText on, OptionalText off, Lister lister,
                               QWidget* parent)
    : QWidget(parent),
      platform_(platform),
      on_(std::move(on)),
      off_(std::move(off)),
      lister_(std::move(lister))
{
    // The service is taken here: the pool never reads the installed services,
    // which quitting takes away.
    if (!lister_)
        lister_ = [processes = platform.processes] { return Focus::shortcutNames(processes); };
    QVBoxLayout* column = EditorParts::column(this, 330, 10);
    column->addWidget(
        EditorParts::text(tr("Runs your own script as the routine starts, and another as it ends: such as ones that "
                             "turn your desktop's Do Not Disturb on and off.")));
    start_ = new MenuPicker(tr("At the start, run"));
    column->addWidget(start_);
    end_ = new MenuPicker(tr("At the end, run"));
    column->addWidget(end_);
    column->addWidget(EditorParts::hint(tr("Put them in Tavrin's shortcuts folder: one that turns Do Not Disturb on, "
                                           "one that turns it off.")));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    open_ = new TButton(tr("Open Shortcuts"));
    refresh_ = new TButton(tr("Refresh"));
    buttons->addWidget(open_);
    buttons->addWidget(refresh_);
    buttons->addStretch();
    column->addLayout(buttons);

    // Choosing the first start item keeps the empty string (the action
    // stays); the first end item removes the end shortcut.
    connect(start_, &MenuPicker::chosen, this, [this](const QVariant& value) { on_.set(value.toString()); });
    connect(end_, &MenuPicker::chosen, this, [this](const QVariant& value) {
        const QString name = value.toString();
        off_.set(name.isEmpty() ? std::nullopt : std::optional(name));
    });
    connect(open_, &QAbstractButton::clicked, this, [this] { openShortcutsFolder(); });
    connect(refresh_, &QAbstractButton::clicked, this, &MacFocusEditor::reload);
    fill();
}

void MacFocusEditor::reload()
{
    Clock* clock = platform_.clock;
    if (!clock)
        return;
    const std::uint64_t load = ++loads_;
    auto result = std::make_shared<QStringList>();
    clock->runInBackground([lister = lister_, result] { *result = lister(); }, this,
                           [this, load, result] {
                               // An earlier load that ends after a later one is dropped.
                               if (load != loads_)
                                   return;
                               names_ = *result;
                               fill();
                           });
}

void MacFocusEditor::fill()
{
    QList<MenuPicker::Item> starts{{tr("Choose a shortcut…"), QString()}};
    QList<MenuPicker::Item> ends{{tr("Nothing"), QString()}};
    for (const QString& name : names_) {
        starts << MenuPicker::Item{name, name};
        ends << MenuPicker::Item{name, name};
    }
    start_->setItems(starts);
    end_->setItems(ends);
    refresh();
}

void MacFocusEditor::refresh()
{
    start_->setSelection(on_.get().value_or(QString()));
    end_->setSelection(off_.get().value_or(QString()));
}

QString MacFocusEditor::shortcutsFolder() const
{
    const QString config = platform_.folders.applicationSupport;
    return config.isEmpty() ? QString() : QDir(config).filePath(QStringLiteral("tavrin/shortcuts"));
}

bool MacFocusEditor::openShortcutsFolder() const
{
    const QString folder = shortcutsFolder();
    Workspace* workspace = platform_.workspace;
    if (folder.isEmpty() || !workspace || !QDir().mkpath(folder))
        return false;
    return workspace->openUrl(QUrl::fromLocalFile(folder));
}

void MacFocusEditor::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    reload();
}

} // namespace tavrin
