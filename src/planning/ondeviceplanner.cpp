#include "planning/ondeviceplanner.h"

#include "planning/plannerinstructions.h"
#include "planning/planvalidator.h"
#include "planning/timelimit.h"
#include "platform/languagemodel.h"

#include <QJsonDocument>
#include <QPointer>
#include <QSet>

namespace tavrin {

namespace {

// A plan the model made that names no layout or window it may use.
const QString kNotAPlan = QStringLiteral("the model's answer isn't a plan");

PlanGuide guide()
{
    PlanGuide g;
    for (LayoutKind k : kAllLayoutKinds)
        g.layouts.append(name(k));
    for (ClearAction a : kAllClearActions)
        g.clearActions.append(name(a));
    g.maxWindows = WorkspacePlan::kMaxWindows;
    return g;
}

// Keeps the session alive for as long as it generates, even after a time
// limit has given up on it.
QCoro::Task<GuidedGeneration> generate(std::shared_ptr<LanguageModelSession> session, QString prompt)
{
    co_return co_await session->generatePlan(std::move(prompt));
}

bool isOf(const PlanRequest::Window& window, const QString& app)
{
    return window.app.compare(app, Qt::CaseInsensitive) == 0;
}

// The request window of `app` that the answer names by number, when it is
// one not in `taken`; else the first of `app` not in `taken`.
std::optional<int> windowOf(const QString& app, std::optional<int> named, const PlanRequest& request,
                            const QSet<int>& taken)
{
    if (named && *named >= 0 && *named < request.windows.size() && !taken.contains(*named)
        && isOf(request.windows[*named], app))
        return named;
    for (int i = 0; i < request.windows.size(); ++i)
        if (!taken.contains(i) && isOf(request.windows[i], app))
            return i;
    return std::nullopt;
}

} // namespace

bool OnDevicePlanner::isAvailable() const
{
    LanguageModel* model = s_.languageModel;
    return model && model->availability().available;
}

std::optional<WorkspacePlan> OnDevicePlanner::match(const GuidedPlan& answer, const PlanRequest& request)
{
    const auto layout = layoutKindFromName(answer.layout);
    if (!layout)
        return std::nullopt;
    WorkspacePlan plan;
    plan.workspaceName = answer.workspaceName;
    plan.layout = *layout;
    plan.why = answer.why;

    QSet<int> used;
    for (const GuidedPlan::Window& g : answer.windows) {
        WorkspacePlan::Window w;
        w.app = g.app.trimmed();
        w.purpose = g.purpose;
        if (!g.openURL.trimmed().isEmpty()) {
            w.openURL = g.openURL.trimmed();
        } else if (const auto index = windowOf(w.app, g.window, request, used)) {
            w.existingWindow = *index;
            w.app = request.windows[*index].app;
            used.insert(*index);
        }
        plan.windows.append(std::move(w));
    }

    QList<WorkspacePlan::Clear> clears;
    QSet<int> taken = used;
    for (const GuidedPlan::Clear& g : answer.clear) {
        const auto action = clearActionFromName(g.action);
        const auto index = windowOf(g.app.trimmed(), g.window, request, taken);
        if (!action || !index)
            continue;
        taken.insert(*index);
        clears.append({*index, *action});
    }
    if (!clears.isEmpty())
        plan.clear = std::move(clears);
    return plan;
}

QCoro::Task<PlannerResult<WorkspacePlan>> OnDevicePlanner::plan(PlanRequest request)
{
    co_return co_await plan(std::move(request), std::nullopt);
}

QCoro::Task<PlannerResult<WorkspacePlan>> OnDevicePlanner::plan(PlanRequest request, std::optional<double> limit)
{
    const PlanningServices s = s_;
    if (!s.languageModel)
        co_return PlannerError::unavailable(PlannerError::onDeviceUnavailableMessage());
    QPointer<LanguageModel> model = s.languageModel;
    const LanguageModel::Availability availability = co_await model->checkAvailability();
    if (!model || !availability.available)
        co_return PlannerError::unavailable(PlannerError::onDeviceUnavailableMessage(availability.reason));

    const QString prompt = QString::fromUtf8(QJsonDocument(request.toJson()).toJson(QJsonDocument::Indented));
    const QUuid entry =
        s.log.record(kName, request.request, QStringLiteral("On this computer"), prompt, prompt.toUtf8().size());
    auto session = model->makeSession(PlannerInstructions::onDevice(), guide());

    std::optional<GuidedGeneration> generation;
    if (limit)
        generation = co_await withTimeLimit(s.clock, *limit, generate(std::move(session), prompt));
    else
        generation = co_await generate(std::move(session), prompt);

    PlannerResult<WorkspacePlan> result = PlannerError::unavailable(PlannerError::onDeviceTooSlowMessage());
    if (generation) {
        auto plan = generation->plan ? match(*generation->plan, request) : std::nullopt;
        if (plan)
            result = PlanValidator::sanitize(std::move(*plan), request);
        else if (generation->plan)
            result = PlannerError::unavailable(PlannerError::onDeviceFailedMessage(kNotAPlan));
        else
            result = PlannerError::unavailable(PlannerError::onDeviceFailedMessage(generation->error));
    }
    s.log.setOutcome(entry, outcomeOf(result));
    co_return result;
}

} // namespace tavrin
