#include "support/x11/x11testclient.h"

#include "platform/x11/x11connection.h"
#include "support/x11/xvfbsession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <csignal>

namespace tavrin {

namespace {
constexpr double kStartTimeout = XvfbSession::kWaitSeconds;

QJsonObject toJson(const X11TestClient::Options& o)
{
    QJsonArray strut;
    for (std::uint32_t v : o.strut)
        strut.append(qint64(v));
    return {{"title", o.title},
            {"legacyTitleOnly", o.legacyTitleOnly},
            {"instance", o.instance},
            {"wmClass", o.wmClass},
            {"x", o.client.x},
            {"y", o.client.y},
            {"w", o.client.width},
            {"h", o.client.height},
            {"setPid", o.setPid},
            {"acceptsFocus", o.acceptsFocus},
            {"takesFocus", o.takesFocus},
            {"closes", o.closes},
            {"minWidth", o.minWidth},
            {"minHeight", o.minHeight},
            {"maxWidth", o.maxWidth},
            {"maxHeight", o.maxHeight},
            {"type", o.type},
            {"transient", o.transient},
            {"strut", strut},
            {"qt", o.qt},
            {"windows", o.windows},
            {"lingers", o.lingers},
            {"background", o.background},
            {"fullScreen", o.fullScreen},
            {"above", o.above},
            {"child", o.child},
            {"overrideRedirect", o.overrideRedirect},
            {"border", o.border},
            {"parent", qint64(o.parent)},
            {"mapDelay", o.mapDelay},
            {"screen", o.screen},
            {"laterClass", o.laterClass},
            {"laterBackground", o.laterBackground}};
}
} // namespace

QStringList X11TestClient::command(const Options& options)
{
    return {QStringLiteral(TAVRIN_X11_TEST_CLIENT),
            QString::fromUtf8(QJsonDocument(toJson(options)).toJson(QJsonDocument::Compact))};
}

void X11TestClient::tell(const QByteArray& command)
{
    process_->write(command + '\n');
    process_->waitForBytesWritten(1000);
}

bool X11TestClient::answer(const QByteArray& command, const QByteArray& word)
{
    tell(command);
    const double deadline = X11Connection::steadyNow() + kStartTimeout;
    QByteArray out;
    while (X11Connection::steadyNow() < deadline && isRunning()) {
        process_->waitForReadyRead(50);
        out += process_->readAllStandardOutput();
        if (out.contains(word + '\n'))
            return true;
    }
    return false;
}

xcb_window_t X11TestClient::open()
{
    tell("open");
    const double deadline = X11Connection::steadyNow() + kStartTimeout;
    QByteArray out;
    while (X11Connection::steadyNow() < deadline && isRunning()) {
        process_->waitForReadyRead(50);
        out += process_->readAllStandardOutput();
        const int at = out.indexOf("opened ");
        const int end = out.indexOf('\n', at);
        if (at >= 0 && end > at) {
            windows_.push_back(xcb_window_t(out.mid(at + 7, end - at - 7).toULongLong()));
            return windows_.back();
        }
    }
    return 0;
}

std::unique_ptr<X11TestClient> X11TestClient::start(const QProcessEnvironment& env, const Options& options,
                                                    QString* error)
{
    std::unique_ptr<X11TestClient> client(new X11TestClient);
    client->process_ = XvfbSession::childProcess();
    client->process_->setProcessEnvironment(env);
    client->process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QStringList program = command(options);
    client->process_->start(program.front(), program.mid(1));
    const double deadline = X11Connection::steadyNow() + kStartTimeout;
    QByteArray out;
    while (X11Connection::steadyNow() < deadline && client->process_->state() != QProcess::NotRunning) {
        client->process_->waitForReadyRead(50);
        out += client->process_->readAllStandardOutput();
        const int at = out.indexOf("ready ");
        const int end = out.indexOf('\n', at);
        if (at >= 0 && end > at) {
            for (const QByteArray& id : out.mid(at + 6, end - at - 6).split(' '))
                client->windows_.push_back(xcb_window_t(id.toULongLong()));
            return client;
        }
    }
    if (error)
        *error = QStringLiteral("The test client \"%1\" did not map its window (%2; it said \"%3\").")
                     .arg(options.title,
                          client->process_->state() == QProcess::NotRunning
                              ? QStringLiteral("exit status %1").arg(client->process_->exitCode())
                              : QStringLiteral("still running"),
                          QString::fromLocal8Bit(out));
    return nullptr;
}

X11TestClient::~X11TestClient()
{
    if (!process_)
        return;
    thaw();
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(2000);
    }
}

int X11TestClient::pid() const { return int(process_->processId()); }

bool X11TestClient::isRunning() const { return process_->state() != QProcess::NotRunning; }

bool X11TestClient::waitForExit(double seconds)
{
    return process_->state() == QProcess::NotRunning || process_->waitForFinished(int(seconds * 1000));
}

void X11TestClient::freeze()
{
    if (!frozen_ && isRunning()) {
        ::kill(pid_t(pid()), SIGSTOP);
        frozen_ = true;
    }
}

void X11TestClient::thaw()
{
    if (frozen_ && isRunning())
        ::kill(pid_t(pid()), SIGCONT);
    frozen_ = false;
}

} // namespace tavrin
