#include "platform/sim/simscriptrequest.h"

#include <QRegularExpression>

namespace tavrin {

namespace {

// An application name in double quotes: inserted as it is, or quoted with
// backslash escapes; both read the same for ordinary names.
const QString kQuotedName = QStringLiteral(R"re("((?:[^"\\\n]|\\.)*)")re");

QString unescape(const QString& quoted)
{
    QString out;
    for (qsizetype i = 0; i < quoted.size(); ++i) {
        if (quoted[i] == u'\\' && i + 1 < quoted.size())
            ++i;
        out.append(quoted[i]);
    }
    return out;
}

QStringList quotedTexts(const QString& list)
{
    static const QRegularExpression text(QStringLiteral(R"re("([^"]*)")re"));
    QStringList out;
    for (auto it = text.globalMatch(list); it.hasNext();)
        out.append(it.next().captured(1));
    return out;
}

// The one-line forms: "tell application NAME to STATEMENT".
std::optional<SimScriptRequest> oneLine(const QString& source)
{
    static const QRegularExpression tell(QStringLiteral("^tell application %1 to (.*)$").arg(kQuotedName));
    const auto m = tell.match(source);
    if (!m.hasMatch())
        return std::nullopt;
    SimScriptRequest r;
    r.app = unescape(m.captured(1));
    const QString statement = m.captured(2);

    static const QRegularExpression front(QStringLiteral(
        R"(^get \{(name|title) of (current tab|active tab) of every window, URL of \2 of every window(, \1 of every tab of every window)?\}$)"));
    static const QRegularExpression titles(QStringLiteral(
        R"(^get \{(name|title) of (current tab|active tab) of every window, \1 of every tab of every window\}$)"));
    static const QRegularExpression safariSelect(
        QStringLiteral(R"(^set current tab of window (\d+) to tab (\d+) of window \1$)"));
    static const QRegularExpression chromiumSelect(
        QStringLiteral(R"(^set active tab index of window (\d+) to (\d+)$)"));
    if (const auto f = front.match(statement); f.hasMatch()) {
        r.kind = SimScriptRequest::Kind::frontTabs;
        r.otherTitles = f.hasCaptured(3);
    } else if (titles.match(statement).hasMatch()) {
        r.kind = SimScriptRequest::Kind::tabTitles;
    } else if (auto s = safariSelect.match(statement);
               s.hasMatch() || (s = chromiumSelect.match(statement)).hasMatch()) {
        r.kind = SimScriptRequest::Kind::selectTab;
        r.window = s.captured(1).toInt();
        r.tab = s.captured(2).toInt();
    } else {
        return std::nullopt;
    }
    return r;
}

// The block forms: "tell application NAME" on the first line.
std::optional<SimScriptRequest> block(const QString& source)
{
    static const QRegularExpression tell(QStringLiteral("^tell application %1\\n").arg(kQuotedName));
    const auto m = tell.match(source);
    if (!m.hasMatch())
        return std::nullopt;
    SimScriptRequest r;
    r.app = unescape(m.captured(1));
    const auto has = [&](const char* phrase) { return source.contains(QLatin1String(phrase)); };
    if (has("set end of out to {title of active tab of w, URL of active tab of w, URL of tabs of w}")
        || has("set end of out to {name of current tab of w, URL of current tab of w, URL of tabs of w}")) {
        r.kind = SimScriptRequest::Kind::windowTabs;
    } else if (has("set end of out to {name of w, tty of selected tab of w}")) {
        r.kind = SimScriptRequest::Kind::terminalTTYs;
    } else if (has("to set p to variable named \"session.path\"")) {
        r.kind = SimScriptRequest::Kind::sessionPaths;
    } else if (has("set end of out to {name of w, POSIX path of (target of w as alias)}")) {
        r.kind = SimScriptRequest::Kind::finderFolders;
    } else {
        static const QRegularExpression safariFirst(
            QStringLiteral(R"re(\n  make new document with properties \{URL:("[^"]*")\}\n)re"));
        static const QRegularExpression chromiumFirst(
            QStringLiteral(R"re(\n  make new window\n  set URL of active tab of front window to ("[^"]*")\n)re"));
        static const QRegularExpression rest(QStringLiteral(R"(\n  repeat with u in \{([^}]*)\}\n)"));
        auto first = safariFirst.match(source);
        if (!first.hasMatch())
            first = chromiumFirst.match(source);
        const auto others = rest.match(source);
        if (!first.hasMatch() || !others.hasMatch())
            return std::nullopt;
        r.kind = SimScriptRequest::Kind::openTabs;
        r.urls = quotedTexts(first.captured(1)) + quotedTexts(others.captured(1));
    }
    return r;
}

} // namespace

std::optional<SimScriptRequest> SimScriptRequest::parse(const QString& source)
{
    if (auto r = oneLine(source))
        return r;
    return block(source);
}

} // namespace tavrin
