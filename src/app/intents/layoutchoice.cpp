#include "app/intents/layoutchoice.h"

namespace tavrin {

QString layoutChoiceTypeName() { return QStringLiteral("Layout"); }

LayoutKind layoutKind(LayoutChoice choice)
{
    // The raw names are the same in both.
    return *layoutKindFromName(name(choice));
}

QString name(LayoutChoice choice)
{
    switch (choice) {
    case LayoutChoice::focusCentre: return QStringLiteral("focusCentre");
    case LayoutChoice::halves: return QStringLiteral("halves");
    case LayoutChoice::thirds: return QStringLiteral("thirds");
    case LayoutChoice::studio: return QStringLiteral("studio");
    case LayoutChoice::stack: return QStringLiteral("stack");
    case LayoutChoice::columns: return QStringLiteral("columns");
    }
    return {};
}

QString displayName(LayoutChoice choice)
{
    switch (choice) {
    case LayoutChoice::focusCentre: return QStringLiteral("Focus centre");
    case LayoutChoice::halves: return QStringLiteral("Halves");
    case LayoutChoice::thirds: return QStringLiteral("Thirds");
    case LayoutChoice::studio: return QStringLiteral("Studio");
    case LayoutChoice::stack: return QStringLiteral("Stack");
    case LayoutChoice::columns: return QStringLiteral("Columns");
    }
    return {};
}

std::optional<LayoutChoice> layoutChoiceFromText(const QString& text)
{
    const QString wanted = text.trimmed();
    for (const LayoutChoice choice : kAllLayoutChoices)
        if (wanted.compare(name(choice), Qt::CaseInsensitive) == 0
            || wanted.compare(displayName(choice), Qt::CaseInsensitive) == 0)
            return choice;
    return std::nullopt;
}

QStringList layoutChoiceNames()
{
    QStringList names;
    for (const LayoutChoice choice : kAllLayoutChoices)
        names << name(choice);
    return names;
}

} // namespace tavrin
