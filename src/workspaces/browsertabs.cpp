#include "workspaces/browsertabs.h"

#include <QRegularExpression>
#include <functional>

namespace tavrin {

const BrowserWindowTabs* tabsMatching(const QString& windowTitle, const QList<BrowserWindowTabs>& windows)
{
    if (windowTitle.isEmpty())
        return nullptr;
    for (const BrowserWindowTabs& w : windows)
        if (w.title == windowTitle)
            return &w;
    for (const BrowserWindowTabs& w : windows)
        if (!w.title.isEmpty() && windowTitle.startsWith(w.title))
            return &w;
    return nullptr;
}

QString normaliseTabTitle(const QString& title)
{
    static const QRegularExpression unreadCount(QStringLiteral(R"(^\(\d+\+?\)\s*)"),
                                                QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression space(QStringLiteral(R"(\s+)"), QRegularExpression::UseUnicodePropertiesOption);
    QString out = title.trimmed().toLower();
    out.remove(unreadCount);
    out.replace(space, QStringLiteral(" "));
    return out;
}

std::optional<QString> cleanTabTitle(const QString& wanted, const QStringList& titles)
{
    if (titles.contains(wanted))
        return wanted;
    const QString norm = normaliseTabTitle(wanted);
    if (norm.size() < 3)
        return std::nullopt;
    QStringList forms;
    for (const QString& title : titles)
        forms.append(normaliseTabTitle(title));
    for (qsizetype i = 0; i < titles.size(); ++i)
        if (forms[i] == norm)
            return titles[i];

    const auto only =
        [&](const std::function<bool(const QString&)>& qualifies) -> std::optional<std::optional<QString>> {
        std::optional<QString> found;
        int count = 0;
        for (qsizetype i = 0; i < titles.size(); ++i)
            if (qualifies(forms[i]) && ++count == 1)
                found = titles[i];
        if (count == 0)
            return std::nullopt; // undecided: the next step decides
        return count == 1 ? found : std::optional<QString>();
    };
    if (auto prefix = only(
            [&](const QString& form) { return form.startsWith(norm) || (form.size() >= 3 && norm.startsWith(form)); }))
        return *prefix;
    return only([&](const QString& form) { return form.contains(norm); }).value_or(std::nullopt);
}

} // namespace tavrin
