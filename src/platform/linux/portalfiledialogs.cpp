#include "platform/linux/portalfiledialogs.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace tavrin {

// The file chooser's filters: a name and its patterns, each a kind (0: a
// glob) and the pattern; on the bus "(sa(us))".
struct PortalPattern {
    uint kind = 0;
    QString pattern;
};
struct PortalFilter {
    QString name;
    QList<PortalPattern> patterns;
};

} // namespace tavrin

Q_DECLARE_METATYPE(tavrin::PortalPattern)
Q_DECLARE_METATYPE(tavrin::PortalFilter)

namespace tavrin {

// Found by argument-dependent lookup: beside the types.
QDBusArgument& operator<<(QDBusArgument& argument, const PortalPattern& p)
{
    argument.beginStructure();
    argument << p.kind << p.pattern;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalPattern& p)
{
    argument.beginStructure();
    argument >> p.kind >> p.pattern;
    argument.endStructure();
    return argument;
}
QDBusArgument& operator<<(QDBusArgument& argument, const PortalFilter& f)
{
    argument.beginStructure();
    argument << f.name << f.patterns;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, PortalFilter& f)
{
    argument.beginStructure();
    argument >> f.name >> f.patterns;
    argument.endStructure();
    return argument;
}

namespace {
void registerTypes()
{
    static const bool once = [] {
        qDBusRegisterMetaType<PortalPattern>();
        qDBusRegisterMetaType<QList<PortalPattern>>();
        qDBusRegisterMetaType<PortalFilter>();
        qDBusRegisterMetaType<QList<PortalFilter>>();
        return true;
    }();
    (void)once;
}

QString tr(const char* text) { return QCoreApplication::translate("PortalFileDialogs", text); }

PortalFilter filterOf(const FileType& type)
{
    PortalFilter filter{type.description, {}};
    for (const QString& extension : type.extensions)
        filter.patterns.append({0, QStringLiteral("*.") + extension});
    return filter;
}

QString startFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

// Where the portal announces the answer to a request made with `token`.
QString requestPath(const QDBusConnection& bus, const QString& token)
{
    QString sender = bus.baseService();
    sender.remove(0, sender.startsWith(QLatin1Char(':')) ? 1 : 0);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

// Sends a call and waits for its answer in an event loop: the portal may
// live in this very process (a test's).
QDBusMessage callAndWait(QDBusConnection& bus, const QDBusMessage& message, int timeoutMs)
{
    QDBusPendingCallWatcher watcher(bus.asyncCall(message, timeoutMs));
    if (!watcher.isFinished()) {
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return watcher.reply();
}

// Waits for one request's Response signal.
class ResponseWait : public QObject {
    Q_OBJECT
public:
    void listen(QDBusConnection& bus, const QString& path)
    {
        bus.connect(PortalFileDialogs::kService, path, QStringLiteral("org.freedesktop.portal.Request"),
                    QStringLiteral("Response"), this, SLOT(respond(uint, QVariantMap)));
    }

    bool answered = false;
    uint response = 2;
    QVariantMap results;

signals:
    void done();

public slots:
    void respond(uint code, const QVariantMap& values)
    {
        answered = true;
        response = code;
        results = values;
        emit done();
    }
};
} // namespace

PortalFileDialogs::PortalFileDialogs(QDBusConnection bus, FileDialogs& fallback)
    : bus_(std::move(bus)),
      fallback_(fallback)
{
    registerTypes();
}

bool PortalFileDialogs::portalRuns() const
{
    if (!bus_.isConnected() || !bus_.interface() || !bus_.interface()->isServiceRegistered(kService))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    QDBusConnection bus = bus_;
    return callAndWait(bus, get, kAskTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

std::optional<QString> PortalFileDialogs::chooseSaveFile(const QString& defaultName, const FileType& type)
{
    if (!portalRuns())
        return fallback_.chooseSaveFile(defaultName, type);
    QVariantMap options{{QStringLiteral("current_name"), defaultName},
                        {QStringLiteral("current_folder"), QFile::encodeName(startFolder()) + '\0'}};
    if (!type.extensions.isEmpty()) {
        options.insert(QStringLiteral("filters"), QVariant::fromValue(QList<PortalFilter>{filterOf(type)}));
        options.insert(QStringLiteral("current_filter"), QVariant::fromValue(filterOf(type)));
    }
    const Answer answer = ask(QStringLiteral("SaveFile"), tr("Save As"), options);
    if (answer.failed)
        return fallback_.chooseSaveFile(defaultName, type);
    if (!answer.path || type.extensions.isEmpty() || !QFileInfo(*answer.path).suffix().isEmpty())
        return answer.path;
    // The name typed without an extension gets the type's.
    return *answer.path + QLatin1Char('.') + type.extensions.front();
}

std::optional<QString> PortalFileDialogs::chooseOpenFile(const FileType& type)
{
    if (!portalRuns())
        return fallback_.chooseOpenFile(type);
    QVariantMap options;
    if (!type.extensions.isEmpty())
        options.insert(QStringLiteral("filters"), QVariant::fromValue(QList<PortalFilter>{filterOf(type)}));
    const Answer answer = ask(QStringLiteral("OpenFile"), tr("Open"), options);
    if (answer.failed)
        return fallback_.chooseOpenFile(type);
    return answer.path;
}

PortalFileDialogs::Answer PortalFileDialogs::ask(const QString& method, const QString& title, QVariantMap options)
{
    const QString token = QStringLiteral("tavrin%1").arg(++requests_);
    options.insert(QStringLiteral("handle_token"), token);
    options.insert(QStringLiteral("modal"), true);
    ResponseWait wait;
    // Listening before asking: the answer may come at once.
    wait.listen(bus_, requestPath(bus_, token));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call << QString() << title << options;
    const QDBusMessage reply = callAndWait(bus_, call, kAskTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {std::nullopt, true};
    // An older portal may answer on a path of its own choosing.
    const QString handle = qvariant_cast<QDBusObjectPath>(reply.arguments().value(0)).path();
    if (!handle.isEmpty() && handle != requestPath(bus_, token))
        wait.listen(bus_, handle);
    if (!wait.answered) {
        QEventLoop loop;
        QObject::connect(&wait, &ResponseWait::done, &loop, &QEventLoop::quit);
        // A portal that goes away answers nothing.
        QDBusServiceWatcher gone(kService, bus_, QDBusServiceWatcher::WatchForUnregistration);
        QObject::connect(&gone, &QDBusServiceWatcher::serviceUnregistered, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!wait.answered)
        return {std::nullopt, true};
    const QStringList uris = wait.results.value(QStringLiteral("uris")).toStringList();
    if (wait.response != 0 || uris.isEmpty())
        return {};
    const QUrl url(uris.front());
    if (!url.isLocalFile())
        return {};
    return {url.toLocalFile(), false};
}

} // namespace tavrin

#include "portalfiledialogs.moc"
