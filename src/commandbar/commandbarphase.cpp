#include "commandbar/commandbarphase.h"

namespace tavrin {

QString name(CommandBarPhase::Kind kind)
{
    switch (kind) {
    case CommandBarPhase::Kind::failed: return QStringLiteral("failed");
    case CommandBarPhase::Kind::asking: return QStringLiteral("asking");
    case CommandBarPhase::Kind::thinking: return QStringLiteral("thinking");
    case CommandBarPhase::Kind::preview: return QStringLiteral("preview");
    case CommandBarPhase::Kind::adjusting: return QStringLiteral("adjusting");
    case CommandBarPhase::Kind::arranging: break;
    }
    return QStringLiteral("arranging");
}

} // namespace tavrin
