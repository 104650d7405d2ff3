#pragma once

#include <QJsonObject>
#include <QString>

namespace tavrin {

// The fixed instructions the planners give their models, and the JSON schema
// of a plan that the Messages API is held to.
class PlannerInstructions {
public:
    // For planners that answer with window numbers (the cloud planners).
    static QString cloud();
    // For the on-device model, which answers with application names.
    static QString onDevice();
    // The `WorkspacePlan` schema: layout and action as enums, at most 6
    // windows; `workspaceName`, `layout`, `why` and `windows` required.
    static QJsonObject planSchema();
};

} // namespace tavrin
