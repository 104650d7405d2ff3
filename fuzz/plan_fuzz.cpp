// Feeds arbitrary text to the plan decoder and validator, as a planner's
// answer, and checks what a validated plan promises.
#include "planning/planvalidator.h"

#include <QJsonDocument>
#include <QSet>
#include <QTextBoundaryFinder>
#include <cstddef>
#include <cstdint>

using namespace tavrin;

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

int characters(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() >= 0)
        ++count;
    return count;
}

// A request of `count` windows; the odd ones are browsers with other tabs.
PlanRequest request(int count)
{
    PlanRequest r;
    r.request = QStringLiteral("fuzz");
    r.display = {QStringLiteral("Display"), 2.4};
    for (int i = 0; i < count; ++i) {
        PlanRequest::Window w{QStringLiteral("App %1").arg(i), QStringLiteral("Title"), std::nullopt, std::nullopt};
        if (i % 2)
            w.otherTabs = QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("CI run")};
        r.windows.append(w);
    }
    return r;
}

void checkPlan(const WorkspacePlan& plan, const PlanRequest& req)
{
    check(plan.windows.size() <= WorkspacePlan::kMaxWindows);
    QSet<int> used;
    for (const auto& w : plan.windows) {
        if (w.existingWindow) {
            const int i = *w.existingWindow;
            check(i >= 0 && i < req.windows.size() && !used.contains(i));
            used.insert(i);
        } else {
            check(!w.app.trimmed().isEmpty());
        }
        check(!w.openURL || PlanValidator::isWebAddress(*w.openURL));
        if (w.tabs) {
            check(!w.tabs->isEmpty() && w.tabs->size() <= PlanValidator::kMaxTabs);
            for (const QString& tab : *w.tabs)
                check(PlanValidator::isWebAddress(tab));
        }
        if (w.frontTab) {
            check(w.existingWindow.has_value());
            const auto& tabs = req.windows[*w.existingWindow].otherTabs;
            check(tabs && tabs->contains(*w.frontTab));
        }
    }
    if (plan.clear) {
        check(!plan.clear->isEmpty());
        QSet<int> cleared;
        for (const auto& c : *plan.clear) {
            check(c.existingWindow >= 0 && c.existingWindow < req.windows.size());
            check(!used.contains(c.existingWindow) && !cleared.contains(c.existingWindow));
            cleared.insert(c.existingWindow);
        }
    }
    check(!plan.workspaceName.isEmpty() && plan.workspaceName == plan.workspaceName.trimmed());
    check(characters(plan.workspaceName) <= PlanValidator::kMaxNameLength);

    // A validated plan survives its JSON form and a second validation as it is.
    check(WorkspacePlan::fromJson(plan.toJson()) == plan);
    check(PlanValidator::sanitize(plan, req) == plan);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte sets how many windows the request has (0 to 7).
    const PlanRequest req = request(data[0] % 8);
    const QByteArray json(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (const auto plan = PlanValidator::validate(json, req))
        checkPlan(*plan, req);
    if (const auto decoded = PlanRequest::fromJson(QJsonDocument::fromJson(json).object()))
        check(PlanRequest::fromJson(decoded->toJson()) == decoded);
    return 0;
}
