#include "platform/sim/simscenario.h"

#include "platform/clock.h"
#include "platform/hotkeys.h"
#include "platform/sim/simdesktop.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>
#include <optional>

namespace tavrin {

namespace {

// Reads typed fields out of JSON objects, keeping the first problem met;
// after a problem every read answers nothing, so a reader can go on without
// checking at every step.
class FieldReader {
public:
    bool failed() const { return !problem.isEmpty(); }

    void fail(const QString& path, const QString& what)
    {
        if (problem.isEmpty())
            problem = path + QStringLiteral(": ") + what;
    }

    void onlyKnown(const QJsonObject& o, const QString& path, const std::vector<const char*>& known)
    {
        for (auto it = o.begin(); it != o.end(); ++it) {
            const bool isKnown =
                std::any_of(known.begin(), known.end(), [&](const char* k) { return it.key() == QLatin1String(k); });
            if (!isKnown) {
                fail(path.isEmpty() ? it.key() : path, path.isEmpty()
                                                           ? QStringLiteral("unknown field")
                                                           : QStringLiteral("unknown field \"%1\"").arg(it.key()));
                return;
            }
        }
    }

    QJsonObject object(const QJsonValue& v, const QString& path)
    {
        if (!v.isObject()) {
            fail(path, QStringLiteral("expected an object"));
            return {};
        }
        return v.toObject();
    }

    // A present value, or a problem when it is required and missing.
    std::optional<QJsonValue> field(const QJsonObject& o, const QString& path, const char* key, bool required)
    {
        if (failed())
            return std::nullopt;
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required)
                fail(join(path, key), QStringLiteral("missing"));
            return std::nullopt;
        }
        return v;
    }

    std::optional<QString> string(const QJsonObject& o, const QString& path, const char* key, bool required = false)
    {
        const auto v = field(o, path, key, required);
        if (!v)
            return std::nullopt;
        if (!v->isString()) {
            fail(join(path, key), QStringLiteral("expected a string"));
            return std::nullopt;
        }
        return v->toString();
    }

    std::optional<bool> boolean(const QJsonObject& o, const QString& path, const char* key)
    {
        const auto v = field(o, path, key, false);
        if (!v)
            return std::nullopt;
        if (!v->isBool()) {
            fail(join(path, key), QStringLiteral("expected true or false"));
            return std::nullopt;
        }
        return v->toBool();
    }

    std::optional<double> number(const QJsonObject& o, const QString& path, const char* key, double min)
    {
        const auto v = field(o, path, key, false);
        if (!v)
            return std::nullopt;
        if (!v->isDouble() || v->toDouble() < min) {
            fail(join(path, key), QStringLiteral("expected a number of at least %1").arg(min));
            return std::nullopt;
        }
        return v->toDouble();
    }

    std::optional<qint64> whole(const QJsonObject& o, const QString& path, const char* key, qint64 min, qint64 max)
    {
        const auto v = field(o, path, key, false);
        if (!v)
            return std::nullopt;
        const double d = v->toDouble();
        if (!v->isDouble() || d != std::floor(d) || d < double(min) || d > double(max)) {
            fail(join(path, key), QStringLiteral("expected a whole number from %1 to %2").arg(min).arg(max));
            return std::nullopt;
        }
        return qint64(d);
    }

    // [x, y, width, height] with a positive width and height.
    std::optional<Rect> frame(const QJsonObject& o, const QString& path, const char* key, bool required)
    {
        const auto v = field(o, path, key, required);
        if (!v)
            return std::nullopt;
        const auto n = numbers(*v, 4);
        if (!n) {
            fail(join(path, key), QStringLiteral("expected [x, y, width, height]"));
            return std::nullopt;
        }
        if (!((*n)[2] > 0) || !((*n)[3] > 0)) {
            fail(join(path, key), QStringLiteral("width and height must be greater than 0"));
            return std::nullopt;
        }
        return Rect((*n)[0], (*n)[1], (*n)[2], (*n)[3]);
    }

    // [width, height], neither negative.
    std::optional<Size> size(const QJsonObject& o, const QString& path, const char* key)
    {
        const auto v = field(o, path, key, false);
        if (!v)
            return std::nullopt;
        const auto n = numbers(*v, 2);
        if (!n || (*n)[0] < 0 || (*n)[1] < 0) {
            fail(join(path, key), QStringLiteral("expected [width, height]"));
            return std::nullopt;
        }
        return Size{(*n)[0], (*n)[1]};
    }

    std::optional<QJsonArray> array(const QJsonObject& o, const QString& path, const char* key, bool required = false)
    {
        const auto v = field(o, path, key, required);
        if (!v)
            return std::nullopt;
        if (!v->isArray()) {
            fail(join(path, key), QStringLiteral("expected a list"));
            return std::nullopt;
        }
        return v->toArray();
    }

    static QString join(const QString& path, const char* key)
    {
        return path.isEmpty() ? QString::fromLatin1(key) : path + QLatin1Char('.') + QLatin1String(key);
    }
    static QString item(const QString& path, qsizetype index) { return QStringLiteral("%1[%2]").arg(path).arg(index); }

    QString problem;

private:
    static std::optional<std::vector<double>> numbers(const QJsonValue& v, qsizetype count)
    {
        if (!v.isArray() || v.toArray().size() != count)
            return std::nullopt;
        std::vector<double> out;
        for (const QJsonArray items = v.toArray(); const QJsonValue e : items) {
            if (!e.isDouble())
                return std::nullopt;
            out.push_back(e.toDouble());
        }
        return out;
    }
};

std::optional<ActivationPolicy> policyNamed(const QString& name)
{
    if (name == QLatin1String("regular"))
        return ActivationPolicy::regular;
    if (name == QLatin1String("accessory"))
        return ActivationPolicy::accessory;
    if (name == QLatin1String("prohibited"))
        return ActivationPolicy::prohibited;
    return std::nullopt;
}

std::optional<SimAutomationAccess> automationNamed(const QString& name)
{
    if (name == QLatin1String("allowed"))
        return SimAutomationAccess::allowed;
    if (name == QLatin1String("denied"))
        return SimAutomationAccess::denied;
    if (name == QLatin1String("notAsked"))
        return SimAutomationAccess::notAsked;
    return std::nullopt;
}

std::optional<std::uint32_t> modifierNamed(const QString& name)
{
    if (name == QLatin1String("command"))
        return modifier::command;
    if (name == QLatin1String("shift"))
        return modifier::shift;
    if (name == QLatin1String("option"))
        return modifier::option;
    if (name == QLatin1String("control"))
        return modifier::control;
    return std::nullopt;
}

// The scenario's parts, read in order into one state.
class ScenarioReader {
public:
    explicit ScenarioReader(SimState& state) : state_(state) {}

    QString read(const QJsonObject& root)
    {
        r_.onlyKnown(root, {},
                     {"trusted", "launchDelay", "frontmost", "displays", "apps", "windows", "installed", "defaultApps",
                      "refusedHotKeys", "processes", "microphoneInUse", "applicationFiles", "calendarAccess",
                      "calendars", "shortcuts"});
        state_.trusted = r_.boolean(root, {}, "trusted").value_or(true);
        state_.microphoneInUse = r_.boolean(root, {}, "microphoneInUse").value_or(false);
        state_.launchDelay = r_.number(root, {}, "launchDelay", 0).value_or(state_.launchDelay);
        readDisplays(root);
        readApps(root);
        readWindows(root);
        readInstalled(root);
        readDefaultApps(root);
        readRefusedKeys(root);
        readProcesses(root);
        readApplicationFiles(root);
        readCalendars(root);
        readShortcuts(root);
        readFrontmost(root);
        return r_.problem;
    }

private:
    void readDisplays(const QJsonObject& root)
    {
        const auto list = r_.array(root, {}, "displays", true);
        if (!list)
            return;
        if (list->isEmpty())
            r_.fail(QStringLiteral("displays"), QStringLiteral("expected at least one display"));
        QSet<qint64> numbers;
        for (qsizetype i = 0; i < list->size() && !r_.failed(); ++i) {
            const QString path = FieldReader::item(QStringLiteral("displays"), i);
            const QJsonObject o = r_.object(list->at(i), path);
            r_.onlyKnown(o, path, {"name", "frame", "scale", "number", "serial", "dock"});
            SimDisplay d;
            d.name = r_.string(o, path, "name", true).value_or(QString());
            d.frame = r_.frame(o, path, "frame", true).value_or(Rect());
            d.scale = r_.number(o, path, "scale", 0.5).value_or(1.0);
            d.number = std::uint32_t(r_.whole(o, path, "number", 1, 0xffffffffLL).value_or(0));
            d.serial = std::uint32_t(r_.whole(o, path, "serial", 0, 0xffffffffLL).value_or(0));
            d.dockHeight = r_.number(o, path, "dock", 0).value_or(0);
            if (d.number != 0 && !unique(numbers, d.number, path + QStringLiteral(".number")))
                return;
            state_.displays.push_back(d);
        }
    }

    void readApps(const QJsonObject& root)
    {
        const auto list = r_.array(root, {}, "apps");
        if (!list)
            return;
        QSet<qint64> pids;
        QSet<QString> names;
        bool self = false;
        for (qsizetype i = 0; i < list->size() && !r_.failed(); ++i) {
            const QString path = FieldReader::item(QStringLiteral("apps"), i);
            const QJsonObject o = r_.object(list->at(i), path);
            r_.onlyKnown(o, path,
                         {"name", "bundleId", "location", "pid", "policy", "hidden", "timesOut", "self", "automation",
                          "scriptDelay", "scriptsFail"});
            SimApp a;
            readIdentity(o, path, a.name, a.bundleId, a.location, a.policy);
            a.pid = int(r_.whole(o, path, "pid", 1, 0x7fffffff).value_or(0));
            a.hidden = r_.boolean(o, path, "hidden").value_or(false);
            a.timesOut = r_.boolean(o, path, "timesOut").value_or(false);
            a.isSelf = r_.boolean(o, path, "self").value_or(false);
            readScripting(o, path, a);
            if (r_.failed())
                return;
            if (names.contains(a.name))
                return r_.fail(path + QStringLiteral(".name"), QStringLiteral("\"%1\" is listed twice").arg(a.name));
            names.insert(a.name);
            if (a.pid != 0 && !unique(pids, a.pid, path + QStringLiteral(".pid")))
                return;
            if (a.isSelf && self)
                return r_.fail(path + QStringLiteral(".self"),
                               QStringLiteral("only one application can be this process"));
            self = self || a.isSelf;
            state_.apps.push_back(a);
        }
        // Applications without a pid get the next free ones.
        int next = 501;
        for (SimApp& a : state_.apps) {
            if (a.pid != 0)
                continue;
            while (pids.contains(next))
                ++next;
            a.pid = next;
            pids.insert(next);
        }
    }

    void readScripting(const QJsonObject& o, const QString& path, SimApp& a)
    {
        if (const auto access = r_.string(o, path, "automation")) {
            const auto named = automationNamed(*access);
            if (!named)
                r_.fail(path + QStringLiteral(".automation"),
                        QStringLiteral("expected \"allowed\", \"denied\" or \"notAsked\""));
            a.automation = named.value_or(SimAutomationAccess::allowed);
        }
        a.scriptDelay = r_.number(o, path, "scriptDelay", 0).value_or(0);
        a.scriptsFail = r_.boolean(o, path, "scriptsFail").value_or(false);
    }

    void readIdentity(const QJsonObject& o, const QString& path, QString& name, QString& bundleId, QString& location,
                      ActivationPolicy& policy)
    {
        name = r_.string(o, path, "name", true).value_or(QString());
        if (!r_.failed() && name.isEmpty())
            r_.fail(path + QStringLiteral(".name"), QStringLiteral("must not be empty"));
        bundleId = r_.string(o, path, "bundleId").value_or(QString());
        location = r_.string(o, path, "location").value_or(QStringLiteral("/Applications/%1.app").arg(name));
        const auto policyName = r_.string(o, path, "policy");
        if (policyName) {
            const auto p = policyNamed(*policyName);
            if (!p)
                r_.fail(path + QStringLiteral(".policy"),
                        QStringLiteral("expected \"regular\", \"accessory\" or \"prohibited\""));
            policy = p.value_or(ActivationPolicy::regular);
        }
    }

    void readWindows(const QJsonObject& root)
    {
        const auto list = r_.array(root, {}, "windows");
        if (!list)
            return;
        for (qsizetype i = 0; i < list->size() && !r_.failed(); ++i) {
            const QString path = FieldReader::item(QStringLiteral("windows"), i);
            const QJsonObject o = r_.object(list->at(i), path);
            const QString appName = r_.string(o, path, "app", true).value_or(QString());
            SimWindow w = readWindow(o, path, true);
            if (r_.failed())
                return;
            const auto owner = std::find_if(state_.apps.begin(), state_.apps.end(),
                                            [&](const SimApp& a) { return a.name == appName; });
            if (owner == state_.apps.end())
                return r_.fail(path + QStringLiteral(".app"),
                               QStringLiteral("no application named \"%1\" in apps").arg(appName));
            w.pid = owner->pid;
            state_.windows.push_back(w);
        }
    }

    SimWindow readWindow(const QJsonObject& o, const QString& path, bool withApp)
    {
        std::vector<const char*> fields = {"title",    "frame",     "subrole",   "minimised", "fullScreen",
                                           "document", "minSize",   "resizable", "number",    "layer",
                                           "tabs",     "activeTab", "tty",       "folder"};
        // Windows that a launch opens belong to the application around them.
        if (withApp)
            fields.push_back("app");
        r_.onlyKnown(o, path, fields);
        SimWindow w;
        w.frame = r_.frame(o, path, "frame", true).value_or(Rect());
        w.subrole = r_.string(o, path, "subrole").value_or(w.subrole);
        w.minimised = r_.boolean(o, path, "minimised").value_or(false);
        w.fullScreen = r_.boolean(o, path, "fullScreen").value_or(false);
        w.document = r_.string(o, path, "document").value_or(QString());
        w.tty = r_.string(o, path, "tty").value_or(QString());
        w.folder = r_.string(o, path, "folder").value_or(QString());
        w.minSize = r_.size(o, path, "minSize").value_or(Size());
        w.resizable = r_.boolean(o, path, "resizable").value_or(true);
        w.number = std::uint32_t(r_.whole(o, path, "number", 1, 0xffffffffLL).value_or(0));
        w.layer = int(r_.whole(o, path, "layer", -1000, 1000).value_or(0));
        if (w.number != 0 && !unique(windowNumbers_, w.number, path + QStringLiteral(".number")))
            return w;
        if (const auto tabs = r_.array(o, path, "tabs")) {
            for (qsizetype t = 0; t < tabs->size() && !r_.failed(); ++t) {
                const QString tabPath = FieldReader::item(path + QStringLiteral(".tabs"), t);
                const QJsonObject tab = r_.object(tabs->at(t), tabPath);
                r_.onlyKnown(tab, tabPath, {"title", "url"});
                w.tabs.push_back(SimTab{r_.string(tab, tabPath, "title").value_or(QString()),
                                        r_.string(tab, tabPath, "url", true).value_or(QString())});
            }
        }
        w.activeTab =
            int(r_.whole(o, path, "activeTab", 0, std::max<qsizetype>(qsizetype(w.tabs.size()) - 1, 0)).value_or(0));
        // A browser window is titled by its active tab unless it says otherwise.
        const QString tabTitle = w.tabs.empty() ? QString() : w.tabs[std::size_t(w.activeTab)].title;
        w.title = r_.string(o, path, "title").value_or(tabTitle);
        return w;
    }

    void readInstalled(const QJsonObject& root)
    {
        const auto list = r_.array(root, {}, "installed");
        if (!list)
            return;
        QSet<QString> locations;
        for (qsizetype i = 0; i < list->size() && !r_.failed(); ++i) {
            const QString path = FieldReader::item(QStringLiteral("installed"), i);
            const QJsonObject o = r_.object(list->at(i), path);
            r_.onlyKnown(o, path, {"name", "bundleId", "location", "policy", "windows"});
            SimInstalledApp a;
            readIdentity(o, path, a.name, a.bundleId, a.location, a.policy);
            if (const auto windows = r_.array(o, path, "windows")) {
                for (qsizetype w = 0; w < windows->size() && !r_.failed(); ++w) {
                    const QString windowPath = FieldReader::item(path + QStringLiteral(".windows"), w);
                    a.windows.push_back(readWindow(r_.object(windows->at(w), windowPath), windowPath, false));
                }
            }
            if (r_.failed())
                return;
            if (locations.contains(a.location))
                return r_.fail(path + QStringLiteral(".location"),
                               QStringLiteral("\"%1\" is listed twice").arg(a.location));
            locations.insert(a.location);
            state_.installed.push_back(std::move(a));
        }
    }

    void readDefaultApps(const QJsonObject& root)
    {
        const auto v = r_.field(root, {}, "defaultApps", false);
        if (!v)
            return;
        const QJsonObject o = r_.object(*v, QStringLiteral("defaultApps"));
        for (auto it = o.begin(); it != o.end() && !r_.failed(); ++it) {
            const QString path = QStringLiteral("defaultApps.") + it.key();
            if (!it->isString())
                return r_.fail(path, QStringLiteral("expected the name of an application"));
            const QString location = locationOf(it->toString());
            if (location.isEmpty())
                return r_.fail(path,
                               QStringLiteral("no application named \"%1\" in apps or installed").arg(it->toString()));
            state_.defaultApps.insert(it.key().toLower(), location);
        }
    }

    void readRefusedKeys(const QJsonObject& root)
    {
        const auto list = r_.array(root, {}, "refusedHotKeys");
        if (!list)
            return;
        for (qsizetype i = 0; i < list->size() && !r_.failed(); ++i) {
            const QString path = FieldReader::item(QStringLiteral("refusedHotKeys"), i);
            const QJsonObject o = r_.object(list->at(i), path);
            r_.onlyKnown(o, path, {"keyCode", "modifiers"});
            if (!r_.field(o, path, "keyCode", true))
                return;
            SimKey key;
            key.keyCode = std::uint32_t(r_.whole(o, path, "keyCode", 0, 255).value_or(0));
            for (const QJsonArray modifiers = r_.array(o, path, "modifiers").value_or(QJsonArray());
                 const QJsonValue m : modifiers) {
                const auto mask = modifierNamed(m.toString());
                if (!mask)
                    return r_.fail(
                        path + QStringLiteral(".modifiers"),
                        QStringLiteral("expected names from \"command\", \"shift\", \"option\", \"control\""));
                key.modifiers |= *mask;
            }
            state_.refusedHotKeys.push_back(key);
        }
    }

    void readProcesses(const QJsonObject& root)
    {
        const auto list = r_.array(root, {}, "processes");
        if (!list)
            return;
        for (qsizetype i = 0; i < list->size() && !r_.failed(); ++i) {
            const QString path = FieldReader::item(QStringLiteral("processes"), i);
            const QJsonObject o = r_.object(list->at(i), path);
            r_.onlyKnown(o, path, {"pid", "tty", "command", "cwd", "hangs"});
            if (!r_.field(o, path, "pid", true))
                return;
            SimProcess p;
            p.pid = int(r_.whole(o, path, "pid", 1, 0x7fffffff).value_or(0));
            p.tty = r_.string(o, path, "tty", true).value_or(QString()).remove(QStringLiteral("/dev/"));
            p.command = r_.string(o, path, "command", true).value_or(QString());
            p.cwd = r_.string(o, path, "cwd").value_or(QString());
            p.hangs = r_.boolean(o, path, "hangs").value_or(false);
            state_.processes.push_back(p);
        }
    }

    void readApplicationFiles(const QJsonObject& root)
    {
        const auto list = r_.array(root, {}, "applicationFiles");
        if (!list)
            return;
        for (qsizetype i = 0; i < list->size() && !r_.failed(); ++i) {
            const QJsonValue& v = list->at(i);
            if (!v.isString()
                || !(v.toString().startsWith(QLatin1Char('/')) || v.toString().startsWith(QLatin1String("~/"))))
                return r_.fail(FieldReader::item(QStringLiteral("applicationFiles"), i),
                               QStringLiteral("expected a path beginning with \"/\" or \"~/\""));
            state_.applicationFiles << v.toString();
        }
    }

    void readCalendars(const QJsonObject& root)
    {
        if (const auto access = r_.string(root, {}, "calendarAccess")) {
            const auto named = calendarAccessFromName(*access);
            if (!named)
                return r_.fail(QStringLiteral("calendarAccess"),
                               QStringLiteral("expected \"notDetermined\", \"restricted\", \"denied\", "
                                              "\"fullAccess\" or \"writeOnly\""));
            state_.calendarAccess = *named;
        }
        const auto list = r_.array(root, {}, "calendars");
        if (!list)
            return;
        QSet<QString> ids;
        for (qsizetype i = 0; i < list->size() && !r_.failed(); ++i) {
            const QString path = FieldReader::item(QStringLiteral("calendars"), i);
            const QJsonObject o = r_.object(list->at(i), path);
            r_.onlyKnown(o, path, {"id", "title", "colour", "account", "events"});
            SimCalendar c;
            c.info.id = r_.string(o, path, "id", true).value_or(QString());
            c.info.title = r_.string(o, path, "title", true).value_or(QString());
            c.info.accountTitle = r_.string(o, path, "account").value_or(QString());
            const QString colour = r_.string(o, path, "colour").value_or(QStringLiteral("#1badf8"));
            c.info.colour = QColor::fromString(colour);
            if (!r_.failed() && !c.info.colour.isValid())
                return r_.fail(path + QStringLiteral(".colour"),
                               QStringLiteral("expected a colour such as \"#1badf8\""));
            if (!r_.failed() && ids.contains(c.info.id))
                return r_.fail(path + QStringLiteral(".id"), QStringLiteral("\"%1\" is listed twice").arg(c.info.id));
            ids.insert(c.info.id);
            readEvents(o, path, c);
            state_.calendars.push_back(std::move(c));
        }
    }

    void readEvents(const QJsonObject& calendar, const QString& path, SimCalendar& c)
    {
        const auto events = r_.array(calendar, path, "events");
        if (!events)
            return;
        for (qsizetype e = 0; e < events->size() && !r_.failed(); ++e) {
            const QString eventPath = FieldReader::item(path + QStringLiteral(".events"), e);
            const QJsonObject o = r_.object(events->at(e), eventPath);
            r_.onlyKnown(o, eventPath, {"title", "start", "end", "allDay"});
            CalendarEvent event;
            event.title = r_.string(o, eventPath, "title").value_or(QString());
            if (!r_.field(o, eventPath, "start", true) || !r_.field(o, eventPath, "end", true))
                return;
            event.start = r_.number(o, eventPath, "start", -1e9).value_or(0);
            event.end = r_.number(o, eventPath, "end", event.start).value_or(0);
            event.allDay = r_.boolean(o, eventPath, "allDay").value_or(false);
            c.events.push_back(event);
        }
    }

    void readShortcuts(const QJsonObject& root)
    {
        const auto list = r_.array(root, {}, "shortcuts");
        if (!list)
            return;
        for (qsizetype i = 0; i < list->size() && !r_.failed(); ++i) {
            if (!list->at(i).isString())
                return r_.fail(FieldReader::item(QStringLiteral("shortcuts"), i), QStringLiteral("expected a name"));
            state_.shortcuts << list->at(i).toString();
        }
    }

    void readFrontmost(const QJsonObject& root)
    {
        const auto name = r_.string(root, {}, "frontmost");
        if (!name)
            return;
        const auto app =
            std::find_if(state_.apps.begin(), state_.apps.end(), [&](const SimApp& a) { return a.name == *name; });
        if (app == state_.apps.end())
            return r_.fail(QStringLiteral("frontmost"),
                           QStringLiteral("no application named \"%1\" in apps").arg(*name));
        if (app->hidden)
            return r_.fail(QStringLiteral("frontmost"), QStringLiteral("\"%1\" is hidden").arg(*name));
        state_.frontmostPid = app->pid;
    }

    QString locationOf(const QString& name) const
    {
        for (const SimApp& a : state_.apps) {
            if (a.name == name)
                return a.location;
        }
        for (const SimInstalledApp& a : state_.installed) {
            if (a.name == name)
                return a.location;
        }
        return {};
    }

    bool unique(QSet<qint64>& seen, qint64 value, const QString& path)
    {
        if (seen.contains(value)) {
            r_.fail(path, QStringLiteral("%1 is used twice").arg(value));
            return false;
        }
        seen.insert(value);
        return true;
    }

    SimState& state_;
    FieldReader r_;
    QSet<qint64> windowNumbers_;
};

QString lineAndColumn(const QByteArray& json, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, json.size());
    const QByteArray before = json.left(offset);
    const qsizetype line = before.count('\n') + 1;
    const qsizetype column = offset - (before.lastIndexOf('\n') + 1) + 1;
    return QStringLiteral("line %1, column %2").arg(line).arg(column);
}

} // namespace

SimScenario SimScenario::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SimScenario s;
        s.error_ = QStringLiteral("%1: cannot read the file: %2").arg(path, file.errorString());
        return s;
    }
    return fromJson(file.readAll(), path);
}

SimScenario SimScenario::fromJson(const QByteArray& json, const QString& name)
{
    SimScenario s;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        s.error_ = QStringLiteral("%1: malformed JSON at %2: %3")
                       .arg(name, lineAndColumn(json, parseError.offset), parseError.errorString());
        return s;
    }
    if (!doc.isObject()) {
        s.error_ = QStringLiteral("%1: expected a JSON object at the top").arg(name);
        return s;
    }
    const QString problem = ScenarioReader(s.state_).read(doc.object());
    if (!problem.isEmpty()) {
        s.state_ = SimState();
        s.error_ = name + QStringLiteral(": ") + problem;
    }
    return s;
}

bool SimScenario::applyTo(SimDesktop& desktop) const
{
    if (!ok())
        return false;
    // Events are written relative to the moment the scenario is loaded.
    SimState state = state_;
    const double now = desktop.clock().now();
    for (SimCalendar& c : state.calendars)
        for (CalendarEvent& e : c.events) {
            e.start += now;
            e.end += now;
        }
    desktop.load(std::move(state));
    return true;
}

} // namespace tavrin
