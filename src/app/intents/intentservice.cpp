#include "app/intents/intentservice.h"

#include "app/appstate.h"
#include "app/busname.h"
#include "app/intents/applylayoutintent.h"
#include "app/intents/asktavrinintent.h"
#include "app/intents/resumeworkspaceintent.h"
#include "app/intents/startfocusintent.h"
#include "app/intents/stopfocusintent.h"
#include "app/intents/tavrinshortcuts.h"
#include "app/intents/workspacequery.h"
#include "focus/tavrinfocusfilter.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "workspaces/textcut.h"

#include <QDBusConnectionInterface>
#include <cmath>

namespace tavrin {

namespace {
QString answer(const IntentResult& result) { return result.dialog.value_or(QString()); }
} // namespace

IntentService::IntentService(AppState& state, WindowManager& windows, WorkspaceRunner& runner,
                             TavrinShortcuts& shortcuts, Clock& clock, QObject* parent)
    : QObject(parent),
      state_(&state),
      windows_(windows),
      runner_(runner),
      clock_(clock)
{
    connect(&shortcuts, &TavrinShortcuts::parametersChanged, this, &IntentService::Changed);
}

QString IntentService::serviceName(const QString& settingsPath)
{
    return BusName::forSettings(kServicePrefix, settingsPath);
}

bool IntentService::publish(QDBusConnection connection, const QString& settingsPath, QString* problem)
{
    auto fail = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return false;
    };
    if (!connection.isConnected())
        return fail(tr("There is no session bus, so intents can't reach Tavrin."));
    if (!connection.registerObject(kObjectPath, this,
                                   QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals))
        return fail(tr("The intents couldn't be put on the session bus."));
    switch (BusName::take(connection, serviceName(settingsPath))) {
    case BusName::Taken::now: return true;
    case BusName::Taken::queued:
        fail(tr("Another process holds the intents' name on the session bus; this Tavrin takes it once it is free."));
        return true;
    case BusName::Taken::refused: break;
    }
    connection.unregisterObject(kObjectPath);
    return fail(tr("Another Tavrin is answering intents already; this one doesn't."));
}

QString IntentService::unknownLayoutMessage(const QString& layout)
{
    return tr("Unknown layout \"%1\": use %2.")
        .arg(echoed(layout),
             layoutChoiceNames().mid(0, 5).join(QStringLiteral(", ")) + tr(" or ") + layoutChoiceNames().last());
}

QString IntentService::minutesMessage()
{
    return tr("Minutes must be a whole number from %1 to %2.")
        .arg(StartFocusIntent::kMinMinutes)
        .arg(StartFocusIntent::kMaxMinutes);
}

QString IntentService::noWorkspaceNameMessage() { return tr("resume needs the name of a saved workspace."); }

QString IntentService::unknownRoutineMessage(const QString& routine)
{
    return tr("Tavrin has no routine called \"%1\".").arg(echoed(routine));
}

QString IntentService::echoed(const QString& argument) { return tavrin::echoed(argument, kMaxEcho); }

QString IntentService::busyMessage() { return tr("Tavrin is busy with many requests; try again in a moment."); }

bool IntentService::tooMany()
{
    if (!calledFromDBus())
        return false;
    const double second = std::floor(clock_.monotonic());
    if (second != actsSecond_) {
        actsSecond_ = second;
        acts_ = 0;
    }
    if (++acts_ <= kMaxActsPerSecond)
        return false;
    sendErrorReply(kBusy, busyMessage());
    return true;
}

QString IntentService::refuse(const QString& message)
{
    if (calledFromDBus())
        sendErrorReply(kInvalidArgument, message);
    return {};
}

QString IntentService::unknown(const QString& message)
{
    if (calledFromDBus())
        sendErrorReply(kUnknownName, message);
    return message;
}

QString IntentService::ApplyLayout(const QString& layout)
{
    if (tooMany())
        return {};
    const auto choice = layoutChoiceFromText(layout);
    if (!choice)
        return refuse(unknownLayoutMessage(layout));
    return answer(ApplyLayoutIntent{*choice}.perform(windows_));
}

QString IntentService::ResumeWorkspace(const QString& workspace)
{
    if (tooMany())
        return {};
    if (workspace.trimmed().isEmpty())
        return refuse(noWorkspaceNameMessage());
    if (WorkspaceQuery::entities(QStringList{workspace}).isEmpty())
        return unknown(ResumeWorkspaceIntent::unknownMessage(workspace));
    ResumeWorkspaceIntent intent{WorkspaceEntity{workspace}};
    if (!calledFromDBus()) {
        resumes_.replace(
            [intent, &runner = runner_](CancelToken) -> QCoro::Task<> { co_await intent.perform(runner); });
        return {};
    }
    // The answer goes out when the runner is done.
    setDelayedReply(true);
    QDBusMessage reply = message().createReply();
    QDBusConnection bus = connection();
    resumes_.replace([intent, reply, bus, &runner = runner_](CancelToken) mutable -> QCoro::Task<> {
        const IntentResult result = co_await intent.perform(runner);
        reply << answer(result);
        bus.send(reply);
    });
    return {};
}

QString IntentService::Ask(const QString& request)
{
    if (request.trimmed().isEmpty())
        return refuse(AskTavrinIntent::requestPrompt());
    if (!state_)
        return {};
    pendingAsk_ = request;
    if (!askTimer_) {
        askTimer_ = std::make_unique<Timer>(clock_);
        connect(askTimer_.get(), &Timer::timeout, this, &IntentService::passOnAsk);
    }
    if (!askTimer_->isActive())
        askTimer_->start(0);
    return {};
}

void IntentService::passOnAsk()
{
    const std::optional<QString> request = std::exchange(pendingAsk_, std::nullopt);
    if (request && state_)
        AskTavrinIntent{*request}.perform(*state_);
}

std::optional<RoutineEntity> IntentService::findRoutine(const QString& text) const
{
    const RoutineControl* control = state_ ? state_->routines() : nullptr;
    const QList<RoutineEntity> routines = control ? control->routines() : QList<RoutineEntity>();
    const QUuid id = QUuid::fromString(text);
    if (!id.isNull()) {
        for (const RoutineEntity& r : routines)
            if (r.id == id)
                return r;
        return RoutineEntity{id, {}};
    }
    for (const RoutineEntity& r : routines)
        if (r.name == text)
            return r;
    for (const RoutineEntity& r : routines)
        if (r.name.compare(text, Qt::CaseInsensitive) == 0)
            return r;
    return std::nullopt;
}

QString IntentService::StartFocus(const QString& routine, int minutes)
{
    if (tooMany())
        return {};
    if (!StartFocusIntent::isValidMinutes(minutes))
        return refuse(minutesMessage());
    StartFocusIntent intent;
    intent.minutes = minutes;
    if (!routine.isEmpty()) {
        // An entity's id that names no routine (deleted since) counts as none.
        intent.routine = findRoutine(routine);
        // Like a workspace it doesn't have: said, and nothing started.
        if (!intent.routine)
            return unknown(unknownRoutineMessage(routine));
    }
    return answer(intent.perform(state_ ? state_->routines() : nullptr));
}

QString IntentService::SetFocusFilter(const QString& routine)
{
    if (tooMany())
        return {};
    TavrinFocusFilter filter;
    if (!routine.isEmpty()) {
        filter.routine = findRoutine(routine);
        if (!filter.routine)
            return unknown(unknownRoutineMessage(routine));
    }
    if (RoutineControl* control = state_ ? state_->routines() : nullptr)
        control->setFocusFilter(filter.routine ? std::optional(filter.routine->id) : std::nullopt);
    // An id of a deleted routine still reaches the engine, which ends the
    // routine the Focus started.
    if (filter.routine && filter.routine->name.isEmpty())
        return unknownRoutineMessage(routine);
    return filter.routine ? tr("The Focus filter now names %1.").arg(filter.routine->name)
                          : tr("The Focus filter now names no routine.");
}

QString IntentService::StopFocus()
{
    if (tooMany())
        return {};
    return answer(StopFocusIntent{}.perform(state_ ? state_->routines() : nullptr));
}

QStringList IntentService::Workspaces(const QString& matching)
{
    QStringList names;
    const auto entities = matching.isEmpty() ? WorkspaceQuery::suggestedEntities() : WorkspaceQuery::entities(matching);
    for (const WorkspaceEntity& e : entities)
        names << e.id;
    return names;
}

QStringList IntentService::Routines()
{
    QStringList names;
    if (const RoutineControl* routines = state_ ? state_->routines() : nullptr)
        for (const RoutineEntity& r : routines->routines())
            names << r.name;
    return names;
}

} // namespace tavrin
