#pragma once

#include "workspaces/planrequest.h"
#include "workspaces/workspaceplan.h"

#include <QByteArray>
#include <optional>

namespace tavrin {

// A planner's answer is untrusted input: this keeps only what can be carried
// out safely on the request's windows.
class PlanValidator {
public:
    static constexpr int kMaxTabs = 40;
    static constexpr int kMaxNameLength = 40;
    static constexpr int kMaxAppLength = 100;
    static constexpr int kMaxPurposeLength = 200;
    static constexpr int kMaxWhyLength = 500;

    // The plan in `json`, cleaned; none when it does not decode (not JSON,
    // missing fields, an unknown layout).
    static std::optional<WorkspacePlan> validate(const QByteArray& json, const PlanRequest& request);

    // Drops windows whose `existingWindow` is out of range or repeated and
    // windows with neither index nor app; keeps http and https addresses
    // only (tabs at most 40), without user names or passwords; replaces
    // `frontTab` by the one title of that window's other tabs it designates
    // (cleanTabTitle), dropping it when there is none; keeps at most 6
    // windows; drops clears out of range, repeated or on a window the plan
    // uses. Its texts lose control and direction characters, are trimmed and
    // cut to their lengths (`firstCharacters`); an empty name becomes
    // "Workspace".
    static WorkspacePlan sanitize(WorkspacePlan plan, const PlanRequest& request);

    // Whether `address` is an http or https address with a host.
    static bool isWebAddress(const QString& address);
};

} // namespace tavrin
