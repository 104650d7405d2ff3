#include "app/intents/tavrinshortcuts.h"

#include <QRegularExpression>

namespace tavrin {

const QList<AppShortcut>& TavrinShortcuts::appShortcuts()
{
    static const QList<AppShortcut> shortcuts = {
        {QStringLiteral("ApplyLayoutIntent"),
         QStringLiteral("apply-layout"),
         QStringLiteral("LAYOUT"),
         {QStringLiteral("Arrange windows in ${layout} with ${applicationName}"),
          QStringLiteral("${applicationName} ${layout}")},
         QStringLiteral("Arrange Windows"),
         QStringLiteral("rectangle.3.group")},
        {QStringLiteral("ResumeWorkspaceIntent"),
         QStringLiteral("resume"),
         QStringLiteral("WORKSPACE"),
         {QStringLiteral("Resume ${workspace} with ${applicationName}"),
          QStringLiteral("Resume my workspace with ${applicationName}")},
         QStringLiteral("Resume Workspace"),
         QStringLiteral("clock.arrow.circlepath")},
        {QStringLiteral("AskTavrinIntent"),
         QStringLiteral("ask"),
         QStringLiteral("REQUEST"),
         {QStringLiteral("Ask ${applicationName}"), QStringLiteral("Arrange my windows with ${applicationName}")},
         QStringLiteral("Ask Tavrin"),
         QStringLiteral("sparkles")},
        {QStringLiteral("StartFocusIntent"),
         QStringLiteral("start-focus"),
         QStringLiteral("[ROUTINE] [MINUTES]"),
         {QStringLiteral("Start ${routine} with ${applicationName}"),
          QStringLiteral("Start focus with ${applicationName}"), QStringLiteral("Focus with ${applicationName}")},
         QStringLiteral("Start Focus"),
         QStringLiteral("scope")},
        {QStringLiteral("StopFocusIntent"),
         QStringLiteral("stop-focus"),
         QString(),
         {QStringLiteral("Stop focus with ${applicationName}")},
         QStringLiteral("Stop Focus"),
         QStringLiteral("scope")},
    };
    return shortcuts;
}

QString TavrinShortcuts::spoken(const QString& phrase, const QString& applicationName)
{
    QString out = phrase;
    out.replace(kApplicationName, applicationName);
    static const QRegularExpression parameter(QStringLiteral(R"(\$\{(\w+)\})"));
    out.replace(parameter, QStringLiteral("<\\1>"));
    return out;
}

} // namespace tavrin
