#include "focus/views/routinecardmodel.h"

#include "windows/layoutkind.h"

#include <QCoreApplication>

namespace tavrin {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("RoutineCard", text); }

RoutineCardModel::Entry chip(RoutineCardModel::Kind kind, const QString& text)
{
    return {RoutineCardModel::Entry::Type::chip, kind, -1, QUuid(), text};
}

RoutineCardModel::Entry separator()
{
    return {RoutineCardModel::Entry::Type::separator, RoutineCardModel::Kind::word, -1, QUuid(), tr("or")};
}
} // namespace

QString RoutineCardModel::Entry::key() const
{
    switch (type) {
    case Type::separator: return QStringLiteral("or");
    case Type::note: return QStringLiteral("note");
    case Type::chip: break;
    }
    switch (kind) {
    case Kind::word: return QStringLiteral("word.") + QString::number(index);
    case Kind::schedule: return QStringLiteral("schedule.") + schedule.toString(QUuid::WithoutBraces);
    case Kind::macFocus: return QStringLiteral("macFocus");
    case Kind::whileApps: return QStringLiteral("whileApps");
    case Kind::hide: return QStringLiteral("hide");
    case Kind::quit: return QStringLiteral("quit");
    case Kind::layout: return QStringLiteral("layout");
    case Kind::workspace: return QStringLiteral("workspace");
    case Kind::shortcuts: return QStringLiteral("shortcuts");
    case Kind::shareSafe: return QStringLiteral("shareSafe");
    }
    return {};
}

QString RoutineCardModel::name(PickTarget target)
{
    switch (target) {
    case PickTarget::hide: return QStringLiteral("hide");
    case PickTarget::quit: return QStringLiteral("quit");
    case PickTarget::whileApps: return QStringLiteral("whileApps");
    }
    return {};
}

std::optional<RoutineCardModel::PickTarget> RoutineCardModel::pickTargetFromName(const QString& name)
{
    for (PickTarget target : {PickTarget::hide, PickTarget::quit, PickTarget::whileApps})
        if (RoutineCardModel::name(target) == name)
            return target;
    return std::nullopt;
}

QString RoutineCardModel::pickerTitle(PickTarget target)
{
    switch (target) {
    case PickTarget::hide: return tr("Hide these apps");
    case PickTarget::quit: return tr("Quit these apps");
    case PickTarget::whileApps: return tr("Run while one of these apps is open");
    }
    return {};
}

QStringList& RoutineCardModel::list(FocusRoutine& routine, PickTarget target)
{
    switch (target) {
    case PickTarget::hide: return routine.actions.hideApps;
    case PickTarget::quit: return routine.actions.quitApps;
    case PickTarget::whileApps: break;
    }
    return routine.whileApps;
}

const QStringList& RoutineCardModel::list(const FocusRoutine& routine, PickTarget target)
{
    return list(const_cast<FocusRoutine&>(routine), target);
}

QString RoutineCardModel::shortForm(const QStringList& apps)
{
    if (apps.size() <= 3)
        return apps.join(QStringLiteral(", "));
    return apps.mid(0, 2).join(QStringLiteral(", ")) + QStringLiteral(" + ") + QString::number(apps.size() - 2);
}

QList<RoutineCardModel::Entry> RoutineCardModel::when(const FocusRoutine& routine)
{
    QList<Entry> out;
    // "or" stands before every trigger but the first.
    const auto add = [&out](Entry entry) {
        if (!out.isEmpty())
            out << separator();
        out << std::move(entry);
    };
    for (int i = 0; i < routine.eventWords.size(); ++i) {
        Entry word = chip(Kind::word, tr("event title has “") + routine.eventWords.at(i) + tr("”"));
        word.index = i;
        add(word);
    }
    if (routine.macFocus)
        add(chip(Kind::macFocus, tr("Focus filter")));
    for (const FocusRoutine::Schedule& schedule : routine.schedules) {
        Entry window = chip(Kind::schedule, schedule.summary());
        window.schedule = schedule.id;
        add(window);
    }
    if (!routine.whileApps.isEmpty())
        add(chip(Kind::whileApps, tr("while ") + shortForm(routine.whileApps) + tr(" open")));
    if (out.isEmpty())
        out << Entry{Entry::Type::note, Kind::word, -1, QUuid(), tr("Only when you start it")};
    return out;
}

QList<RoutineCardModel::Entry> RoutineCardModel::actions(const FocusRoutine& routine)
{
    const FocusRoutine::Actions& a = routine.actions;
    QList<Entry> out;
    if (!a.hideApps.isEmpty())
        out << chip(Kind::hide, tr("Hide ") + shortForm(a.hideApps));
    if (!a.quitApps.isEmpty())
        out << chip(Kind::quit, tr("Quit ") + shortForm(a.quitApps));
    if (a.layout)
        out << chip(Kind::layout, title(*a.layout) + tr(" layout"));
    if (a.workspace)
        out << chip(Kind::workspace, tr("Open workspace ") + *a.workspace);
    if (a.focusOnShortcut)
        out << chip(Kind::shortcuts, a.focusOnShortcut->isEmpty()
                                         ? tr("Turn on Do Not Disturb: choose a shortcut")
                                         : tr("Do Not Disturb: run “") + *a.focusOnShortcut + tr("”"));
    if (a.shareSafe)
        out << chip(Kind::shareSafe, tr("Turn on Share-safe"));
    return out;
}

void RoutineCardModel::remove(FocusRoutine& routine, const Entry& chip)
{
    FocusRoutine::Actions& a = routine.actions;
    switch (chip.kind) {
    case Kind::word:
        if (chip.index >= 0 && chip.index < routine.eventWords.size())
            routine.eventWords.removeAt(chip.index);
        break;
    case Kind::macFocus: routine.macFocus = false; break;
    case Kind::schedule:
        routine.schedules.removeIf([&](const FocusRoutine::Schedule& s) { return s.id == chip.schedule; });
        break;
    case Kind::whileApps: routine.whileApps.clear(); break;
    case Kind::hide: a.hideApps.clear(); break;
    case Kind::quit: a.quitApps.clear(); break;
    case Kind::layout: a.layout.reset(); break;
    case Kind::workspace: a.workspace.reset(); break;
    case Kind::shortcuts:
        a.focusOnShortcut.reset();
        a.focusOffShortcut.reset();
        break;
    case Kind::shareSafe: a.shareSafe = false; break;
    }
}

QList<RoutineCardModel::MenuItem> RoutineCardModel::whenMenu(const FocusRoutine& routine)
{
    QList<MenuItem> items;
    items << MenuItem{routine.eventWords.isEmpty() ? tr("A calendar event") : tr("Another calendar word"), Kind::word,
                      true};
    if (!routine.macFocus)
        items << MenuItem{tr("The Focus filter"), Kind::macFocus, true};
    items << MenuItem{tr("A time of day"), Kind::schedule, true};
    items << MenuItem{routine.whileApps.isEmpty() ? tr("While an app is open…") : tr("More apps…"), Kind::whileApps,
                      true};
    return items;
}

QList<RoutineCardModel::MenuItem> RoutineCardModel::actionsMenu(const FocusRoutine& routine, bool workspaceSaved)
{
    const FocusRoutine::Actions& a = routine.actions;
    QList<MenuItem> items{{tr("Hide apps…"), Kind::hide, true}, {tr("Quit apps…"), Kind::quit, true}};
    if (!a.layout)
        items << MenuItem{tr("Arrange in a layout"), Kind::layout, true};
    if (!a.workspace)
        items << MenuItem{tr("Open a workspace"), Kind::workspace, workspaceSaved};
    if (!a.focusOnShortcut)
        items << MenuItem{tr("Turn on Do Not Disturb (runs your script)"), Kind::shortcuts, true};
    if (!a.shareSafe)
        items << MenuItem{tr("Turn on Share-safe"), Kind::shareSafe, true};
    return items;
}

std::optional<RoutineCardModel::PickTarget> RoutineCardModel::add(FocusRoutine& routine, Kind item,
                                                                  const QStringList& workspaces)
{
    FocusRoutine::Actions& a = routine.actions;
    switch (item) {
    case Kind::word:
        routine.eventWords << (routine.eventWords.isEmpty() ? QStringLiteral("Focus") : QStringLiteral("Urgent"));
        break;
    case Kind::macFocus: routine.macFocus = true; break;
    case Kind::schedule: {
        FocusRoutine::Schedule window;
        window.id = QUuid::createUuid();
        window.days = FocusRoutine::Schedule::weekdays();
        window.start = 540;
        window.end = 660;
        routine.schedules << window;
        break;
    }
    case Kind::whileApps: return PickTarget::whileApps;
    case Kind::hide: return PickTarget::hide;
    case Kind::quit: return PickTarget::quit;
    case Kind::layout: a.layout = LayoutKind::studio; break;
    case Kind::workspace:
        // Offered only while a workspace is saved; without one nothing is set.
        if (!workspaces.isEmpty())
            a.workspace = workspaces.first();
        break;
    case Kind::shortcuts: a.focusOnShortcut = QString(); break;
    case Kind::shareSafe: a.shareSafe = true; break;
    }
    return std::nullopt;
}

QString RoutineCardModel::word(const FocusRoutine& routine, int index) { return routine.eventWords.value(index); }

void RoutineCardModel::setWord(FocusRoutine& routine, int index, const QString& word)
{
    if (index >= 0 && index < routine.eventWords.size())
        routine.eventWords[index] = word;
}

} // namespace tavrin
