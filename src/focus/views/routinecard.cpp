#include "focus/views/routinecard.h"

#include "design/apppicker.h"
#include "design/designfont.h"
#include "design/squircle.h"
#include "design/tbutton.h"
#include "design/tfield.h"
#include "design/themedlabel.h"
#include "design/tswitch.h"
#include "focus/focus.h"
#include "focus/views/applisteditor.h"
#include "focus/views/editorparts.h"
#include "focus/views/edittoken.h"
#include "focus/views/flowrow.h"
#include "focus/views/focusfilterhelp.h"
#include "focus/views/macfocuseditor.h"
#include "focus/views/menupicker.h"
#include "focus/views/menus.h"
#include "focus/views/plainbutton.h"
#include "focus/views/popover.h"
#include "focus/views/scheduleeditor.h"
#include "focus/views/token.h"
#include "focus/views/wordeditor.h"
#include "focus/views/wraplayout.h"
#include "platform/clock.h"
#include "workspaces/savedworkspacestore.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace tavrin {

namespace {
QStringList savedWorkspaceNames()
{
    QStringList names;
    for (const SavedWorkspace& workspace : SavedWorkspaceStore::load())
        names << workspace.name;
    return names;
}

QString hintFor(RoutineCardModel::PickTarget target)
{
    switch (target) {
    case RoutineCardModel::PickTarget::hide:
        return QObject::tr("Hidden when the routine starts and shown again when it ends. Apps you open yourself "
                           "meanwhile are left alone.");
    case RoutineCardModel::PickTarget::quit:
        return QObject::tr("Quit when the routine starts and opened again when it ends.");
    case RoutineCardModel::PickTarget::whileApps:
        return QObject::tr("Runs while any of these apps is open, and ends when they've all quit.");
    }
    return {};
}

std::optional<RoutineCardModel::PickTarget> listOf(RoutineCardModel::Kind kind)
{
    switch (kind) {
    case RoutineCardModel::Kind::hide: return RoutineCardModel::PickTarget::hide;
    case RoutineCardModel::Kind::quit: return RoutineCardModel::PickTarget::quit;
    case RoutineCardModel::Kind::whileApps: return RoutineCardModel::PickTarget::whileApps;
    default: return std::nullopt;
    }
}

// A plain text among the chips, as high as a chip so that the texts line up.
ThemedLabel* rowText(const QString& text)
{
    auto* label = new ThemedLabel(text, TTheme::Colour::muted, DesignFont::system(Token::kFontSize));
    label->setContentsMargins(0, Token::kPadding.top(), 0, Token::kPadding.bottom());
    return label;
}

// A picker in a popover: inset, of a fixed width.
QWidget* pickerEditor(MenuPicker* picker, int width)
{
    auto* editor = new QWidget;
    EditorParts::column(editor, width, 0)->addWidget(picker);
    return editor;
}

// The editors that need only the routine they change.
QWidget* wordEditor(const RoutineBinding& b, int index, std::function<void(const FocusRoutine&)>& refresh)
{
    auto* editor =
        new WordEditor({[b, index] { return RoutineCardModel::word(b.get().value_or(FocusRoutine()), index); },
                        [b, index](const QString& word) {
                            b.update([&](FocusRoutine& r) { RoutineCardModel::setWord(r, index, word); });
                        }});
    refresh = [editor](const FocusRoutine&) { editor->refresh(); };
    return editor;
}

QWidget* scheduleEditor(const RoutineBinding& b, const QUuid& id, std::function<void(const FocusRoutine&)>& refresh)
{
    const auto find = [b, id] {
        const FocusRoutine r = b.get().value_or(FocusRoutine());
        for (const FocusRoutine::Schedule& s : r.schedules)
            if (s.id == id)
                return s;
        return FocusRoutine::Schedule{id, {}, 0, 0};
    };
    const auto store = [b, id](const FocusRoutine::Schedule& s) {
        b.update([&](FocusRoutine& r) {
            for (FocusRoutine::Schedule& mine : r.schedules)
                if (mine.id == id) {
                    mine = s;
                    break;
                }
        });
    };
    auto* editor = new ScheduleEditor({find, store}, RoutineCard::kDayLetters);
    refresh = [editor](const FocusRoutine&) { editor->refresh(); };
    return editor;
}

QWidget* shortcutsEditor(const RoutineBinding& b, std::function<void(const FocusRoutine&)>& refresh)
{
    auto* editor = new MacFocusEditor(
        b.focus().platform(),
        {[b] { return b.get().value_or(FocusRoutine()).actions.focusOnShortcut; },
         [b](const std::optional<QString>& on) { b.update([&](FocusRoutine& r) { r.actions.focusOnShortcut = on; }); }},
        {[b] { return b.get().value_or(FocusRoutine()).actions.focusOffShortcut; },
         [b](const std::optional<QString>& off) {
             b.update([&](FocusRoutine& r) { r.actions.focusOffShortcut = off; });
         }});
    refresh = [editor](const FocusRoutine&) { editor->refresh(); };
    return editor;
}
} // namespace

RoutineCard::RoutineCard(Focus& focus, const QUuid& id, QWidget* parent) : DesignWidget(parent), binding_(focus, id)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding);
    column->setSpacing(9);
    column->addWidget(buildHeader());
    when_ = new FlowRow(tr("When"));
    do_ = new FlowRow(tr("Do"));
    whenAdd_ = new PlainButton(tr("+ Add"), TTheme::Colour::accent, DesignFont::system(Token::kFontSize));
    doAdd_ = new PlainButton(tr("+ Add"), TTheme::Colour::accent, DesignFont::system(Token::kFontSize));
    for (PlainButton* add : {whenAdd_, doAdd_})
        add->setContentsMargins(0, Token::kPadding.top(), 0, Token::kPadding.bottom());
    connect(whenAdd_, &QAbstractButton::clicked, this, [this] { Menus::popUnder(whenMenu(), whenAdd_); });
    connect(doAdd_, &QAbstractButton::clicked, this, [this] { Menus::popUnder(doMenu(), doAdd_); });
    when_->items()->addWidget(whenAdd_);
    do_->items()->addWidget(doAdd_);
    column->addWidget(when_);
    column->addWidget(do_);
    const int labels = std::max(when_->labelWidth(), do_->labelWidth());
    when_->setLabelWidth(labels);
    do_->setLabelWidth(labels);
    dim_ = new QGraphicsOpacityEffect(this);
    dim_->setOpacity(kDimmed);
    setGraphicsEffect(dim_);
    connect(&focus, &Focus::routinesChanged, this, &RoutineCard::refresh);
    connect(&focus, &Focus::runningChanged, this, &RoutineCard::refresh);
    refresh();
}

QWidget* RoutineCard::buildHeader()
{
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    name_ = new ThemedLabel(QString(), TTheme::Colour::ink, DesignFont::system(14, QFont::DemiBold));
    name_->setObjectName(QStringLiteral("routineName"));
    name_->installEventFilter(this);
    row->addWidget(name_);
    auto* renameBox = new QWidget;
    renameField_ = new TField;
    renameField_->setPlaceholderText(tr("Name"));
    renameField_->setFixedWidth(220);
    EditorParts::column(renameBox, 0, 0)->addWidget(renameField_);
    rename_ = new Popover(renameBox, name_);
    renameField_->setAccessibleName(tr("Name"));
    // Every change is written, also one made by assistive technology.
    connect(renameField_, &QLineEdit::textChanged, this,
            [this](const QString& text) { binding_.update([&](FocusRoutine& r) { r.name = text; }); });
    connect(renameField_, &QLineEdit::returnPressed, rename_, &QWidget::hide);
    row->addStretch();

    runningText_ = new ThemedLabel(QString(), TTheme::Colour::good, DesignFont::system(12, QFont::DemiBold));
    row->addWidget(runningText_);
    stop_ = new TButton(tr("Stop"));
    row->addWidget(stop_);
    connect(stop_, &QAbstractButton::clicked, this, [this] { binding_.focus().stop(); });
    start_ = new TButton(tr("Start now"), TButtonStyle::Kind::ghost);
    start_->setToolTip(tr("Runs this routine for an hour"));
    row->addWidget(start_);
    connect(start_, &QAbstractButton::clicked, this, [this] {
        if (const auto routine = binding_.get())
            binding_.focus().start(routine, 60);
    });
    more_ = new PlainButton(QStringLiteral("…"), TTheme::Colour::muted, DesignFont::system(14, QFont::Bold));
    more_->setFixedTextWidth(22);
    more_->setAccessibleName(tr("More"));
    row->addWidget(more_);
    connect(more_, &QAbstractButton::clicked, this, [this] { Menus::popUnder(moreMenu(), more_); });
    switch_ = new TSwitch;
    row->addWidget(switch_);
    connect(switch_, &QAbstractButton::toggled, this,
            [this](bool on) { binding_.update([on](FocusRoutine& r) { r.enabled = on; }); });
    return header;
}

void RoutineCard::refresh()
{
    const std::optional<FocusRoutine> routine = binding_.get();
    if (!routine)
        return; // deleted: the section drops the card
    refreshHeader(*routine);
    refreshRow(when_, whenItems_, RoutineCardModel::when(*routine), whenAdd_, *routine);
    refreshRow(do_, doItems_, RoutineCardModel::actions(*routine), doAdd_, *routine);
    if (enabled_ != routine->enabled) {
        enabled_ = routine->enabled;
        update();
    }
    dim_->setEnabled(!routine->enabled);
}

void RoutineCard::refreshHeader(const FocusRoutine& routine)
{
    name_->setText(routine.name);
    if (renameField_->text() != routine.name)
        renameField_->setText(routine.name);
    const bool running = isRunning();
    runningText_->setVisible(running);
    stop_->setVisible(running);
    start_->setVisible(!running);
    if (running)
        runningText_->setText(runningText(binding_.focus().until()));
    {
        const QSignalBlocker quiet(switch_);
        switch_->setChecked(routine.enabled);
    }
    switch_->setAccessibleName(routine.name + tr(" routine"));
}

QString RoutineCard::runningText(std::optional<double> until)
{
    if (!until)
        return tr("On now");
    return tr("On until ") + timeText(Clock::dateFromReference(*until).toLocalTime().time());
}

void RoutineCard::refreshRow(FlowRow* row, Items& items, const QList<RoutineCardModel::Entry>& entries, QWidget* add,
                             const FocusRoutine& routine)
{
    // Items are kept by key across edits, so that an open editor stays open
    // while its chip's text changes; a separator is keyed by what follows it.
    Items next;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const RoutineCardModel::Entry& entry = entries.at(i);
        QString key = entry.key();
        if (entry.type == RoutineCardModel::Entry::Type::separator && i + 1 < entries.size())
            key += QLatin1Char('.') + entries.at(i + 1).key();
        const auto found = std::find_if(items.begin(), items.end(), [&](const auto& p) { return p.first == key; });
        Item item;
        if (found != items.end()) {
            item = found->second;
            items.erase(found);
            if (auto* token = qobject_cast<Token*>(item.widget))
                token->setText(entry.text);
            item.text = entry.text;
        } else {
            item = makeItem(entry, routine);
        }
        if (item.refresh)
            item.refresh(routine);
        next.append({key, item});
    }
    for (auto& [key, item] : items) {
        item.widget->hide();
        item.widget->deleteLater(); // the cross that asked for this may be inside
    }
    WrapLayout* layout = row->items();
    while (QLayoutItem* taken = layout->takeAt(0))
        delete taken;
    int index = 0;
    for (auto& [key, item] : next)
        layout->insertWidget(index++, item.widget);
    layout->insertWidget(index, add);
    items = std::move(next);
}

RoutineCard::Item RoutineCard::makeItem(const RoutineCardModel::Entry& entry, const FocusRoutine& routine)
{
    Item item;
    item.text = entry.text;
    if (entry.type != RoutineCardModel::Entry::Type::chip) {
        item.widget = rowText(entry.text);
        return item;
    }
    const auto remove = [this, entry] {
        binding_.update([&](FocusRoutine& r) { RoutineCardModel::remove(r, entry); });
    };
    if (entry.kind == Kind::shareSafe) {
        item.widget = new Token(entry.text, remove);
        return item;
    }
    QWidget* editor = makeEditor(entry, routine, item.refresh);
    auto* token = new EditToken(entry.text, remove, editor);
    item.widget = token;
    if (entry.kind == Kind::workspace) {
        // The saved workspaces are read again each time the editor opens.
        const auto refresh = item.refresh;
        connect(token, &EditToken::openChanged, this, [this, refresh](bool open) {
            if (open && refresh)
                if (const auto r = binding_.get())
                    refresh(*r);
        });
    }
    return item;
}

QWidget* RoutineCard::makeEditor(const RoutineCardModel::Entry& entry, const FocusRoutine& routine, Refresh& refresh)
{
    if (const auto target = listOf(entry.kind))
        return makeListEditor(*target, refresh);
    switch (entry.kind) {
    case Kind::word: return wordEditor(binding_, entry.index, refresh);
    case Kind::macFocus: {
        auto* editor = new FocusFilterHelp(routine.name);
        refresh = [editor](const FocusRoutine& r) { editor->setRoutineName(r.name); };
        return editor;
    }
    case Kind::schedule: return scheduleEditor(binding_, entry.schedule, refresh);
    case Kind::layout: return makeLayoutPicker(refresh);
    case Kind::workspace: return makeWorkspacePicker(refresh);
    case Kind::shortcuts: return shortcutsEditor(binding_, refresh);
    default: return new QWidget;
    }
}

QWidget* RoutineCard::makeListEditor(RoutineCardModel::PickTarget target, Refresh& refresh)
{
    const RoutineBinding b = binding_;
    auto* editor = new AppListEditor(
        {[b, target] { return RoutineCardModel::list(b.get().value_or(FocusRoutine()), target); },
         [b, target](const QStringList& apps) {
             b.update([&](FocusRoutine& r) { RoutineCardModel::list(r, target) = apps; });
         }},
        [this, target] { pick(target); }, hintFor(target));
    refresh = [editor](const FocusRoutine&) { editor->refresh(); };
    return editor;
}

QWidget* RoutineCard::makeLayoutPicker(Refresh& refresh)
{
    const RoutineBinding b = binding_;
    auto* picker = new MenuPicker(tr("Arrange in"));
    QList<MenuPicker::Item> layouts;
    for (LayoutKind kind : kAllLayoutKinds)
        layouts << MenuPicker::Item{title(kind), name(kind)};
    picker->setItems(layouts);
    connect(picker, &MenuPicker::chosen, this, [b](const QVariant& value) {
        b.update([&](FocusRoutine& r) { r.actions.layout = layoutKindFromName(value.toString()); });
    });
    refresh = [picker](const FocusRoutine& r) {
        picker->setSelection(name(r.actions.layout.value_or(LayoutKind::focusCentre)));
    };
    return pickerEditor(picker, 240);
}

QWidget* RoutineCard::makeWorkspacePicker(Refresh& refresh)
{
    const RoutineBinding b = binding_;
    auto* picker = new MenuPicker(tr("Workspace"));
    connect(picker, &MenuPicker::chosen, this,
            [b](const QVariant& value) { b.update([&](FocusRoutine& r) { r.actions.workspace = value.toString(); }); });
    refresh = [picker](const FocusRoutine& r) {
        QList<MenuPicker::Item> names;
        for (const QString& n : savedWorkspaceNames())
            names << MenuPicker::Item{n, n};
        picker->setItems(names);
        picker->setSelection(r.actions.workspace.value_or(QString()));
    };
    return pickerEditor(picker, 280);
}

Token* RoutineCard::chip(const QString& key) const
{
    for (const Items* items : {&whenItems_, &doItems_})
        for (const auto& [k, item] : *items)
            if (k == key)
                return qobject_cast<Token*>(item.widget);
    return nullptr;
}

QWidget* RoutineCard::editor(const QString& key) const
{
    auto* token = qobject_cast<EditToken*>(chip(key));
    return token ? token->editor() : nullptr;
}

QStringList RoutineCard::texts(const Items& items)
{
    QStringList out;
    for (const auto& [key, item] : items)
        out << item.text;
    return out;
}

bool RoutineCard::isRunning() const
{
    const std::optional<FocusRoutine>& running = binding_.focus().running();
    return running && running->id == binding_.id();
}

qreal RoutineCard::opacity() const { return dim_->isEnabled() ? dim_->opacity() : 1.0; }

QMenu* RoutineCard::menuOf(const QList<RoutineCardModel::MenuItem>& items)
{
    QMenu* menu = Menus::make(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const RoutineCardModel::MenuItem& item : items) {
        QAction* action = menu->addAction(item.text);
        action->setEnabled(item.enabled);
        connect(action, &QAction::triggered, this, [this, kind = item.kind] { add(kind); });
    }
    return menu;
}

QMenu* RoutineCard::whenMenu() { return menuOf(RoutineCardModel::whenMenu(binding_.get().value_or(FocusRoutine()))); }

QMenu* RoutineCard::doMenu()
{
    return menuOf(
        RoutineCardModel::actionsMenu(binding_.get().value_or(FocusRoutine()), !SavedWorkspaceStore::load().isEmpty()));
}

QMenu* RoutineCard::moreMenu()
{
    QMenu* menu = Menus::make(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu->addAction(tr("Rename…")), &QAction::triggered, this, &RoutineCard::startRenaming);
    connect(menu->addAction(tr("Delete routine")), &QAction::triggered, this, &RoutineCard::deleteRoutine);
    return menu;
}

void RoutineCard::add(Kind item)
{
    std::optional<PickTarget> target;
    binding_.update([&](FocusRoutine& r) { target = RoutineCardModel::add(r, item, savedWorkspaceNames()); });
    if (target)
        pick(*target);
}

void RoutineCard::pick(PickTarget target)
{
    if (picker_)
        return;
    const std::optional<FocusRoutine> routine = binding_.get();
    if (!routine)
        return;
    const QStringList& current = RoutineCardModel::list(*routine, target);
    picking_ = target;
    picker_ = new AppPicker(RoutineCardModel::pickerTitle(target), QSet<QString>(current.begin(), current.end()), true,
                            [this, target](const QString& name) {
                                binding_.update([&](FocusRoutine& r) { RoutineCardModel::list(r, target) << name; });
                            });
    connect(picker_, &AppPicker::dismissed, this, [this] { picking_.reset(); });
    AppPicker::present(picker_, this);
}

void RoutineCard::startRenaming()
{
    rename_->open();
    renameField_->setFocus();
}

void RoutineCard::deleteRoutine()
{
    QList<FocusRoutine> routines = binding_.focus().routines();
    routines.removeIf([&](const FocusRoutine& r) { return r.id == binding_.id(); });
    binding_.focus().setRoutines(routines);
}

void RoutineCard::paintEvent(QPaintEvent*)
{
    const TTheme theme = t();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Squircle::fill(painter, rect(), kRadius, theme.winBG);
    QColor border = enabled_ ? theme.good : theme.line;
    if (enabled_)
        border.setAlphaF(0.45f);
    Squircle::strokeInside(painter, rect(), kRadius, enabled_ ? 1.5 : 0.5, border);
}

bool RoutineCard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == name_ && event->type() == QEvent::MouseButtonDblClick) {
        startRenaming();
        return true;
    }
    return DesignWidget::eventFilter(watched, event);
}

} // namespace tavrin
