#include "platform/x11/x11testclient.h"

#include "platform/x11/x11connection.h"
#include "platform/x11/xvfbsession.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRasterWindow>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace tavrin {

namespace {
const char kClientVariable[] = "TAVRIN_X11_TEST_CLIENT";
constexpr double kStartTimeout = 10.0;

QJsonObject toJson(const X11TestClient::Options& o)
{
    QJsonArray strut;
    for (std::uint32_t v : o.strut)
        strut.append(qint64(v));
    return {{"title", o.title},       {"legacyTitleOnly", o.legacyTitleOnly},
            {"instance", o.instance}, {"wmClass", o.wmClass},
            {"x", o.client.x},        {"y", o.client.y},
            {"w", o.client.width},    {"h", o.client.height},
            {"setPid", o.setPid},     {"acceptsFocus", o.acceptsFocus},
            {"closes", o.closes},     {"minWidth", o.minWidth},
            {"minHeight", o.minHeight}, {"maxWidth", o.maxWidth},
            {"maxHeight", o.maxHeight}, {"type", o.type},
            {"transient", o.transient}, {"strut", strut},
            {"qt", o.qt},             {"windows", o.windows},
            {"lingers", o.lingers}};
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

void setCardinals(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                  const std::vector<std::uint32_t>& v)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 32, std::uint32_t(v.size()), v.data());
}

[[noreturn]] void runPlainClient(const QJsonObject& o)
{
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        std::_Exit(2);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    xcb_screen_t* screen = it.data;
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS"), deleteWindow = atom(c, "WM_DELETE_WINDOW");
    const int count = std::max(1, o["windows"].toInt(1));
    std::vector<xcb_window_t> windows;
    for (int i = 0; i < count; ++i) {
        const xcb_window_t w = xcb_generate_id(c);
        windows.push_back(w);
        const int x = o["x"].toInt() + 40 * i, y = o["y"].toInt() + 40 * i;
        const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, std::int16_t(x), std::int16_t(y),
                          std::uint16_t(o["w"].toInt()), std::uint16_t(o["h"].toInt()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);

        const QString text = i == 0 ? o["title"].toString() : o["title"].toString() + QStringLiteral(" %1").arg(i + 1);
        const QByteArray title = text.toUtf8(), latin = text.toLatin1();
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            std::uint32_t(latin.size()), latin.constData());
        if (!o["legacyTitleOnly"].toBool())
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"), 8,
                                std::uint32_t(title.size()), title.constData());
        const QByteArray cls = o["instance"].toString().toLatin1() + '\0' + o["wmClass"].toString().toLatin1() + '\0';
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            std::uint32_t(cls.size()), cls.constData());
        if (o["setPid"].toBool())
            setCardinals(c, w, atom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, {std::uint32_t(::getpid())});
        setCardinals(c, w, protocols, XCB_ATOM_ATOM, {deleteWindow});

        // WM_NORMAL_HINTS: user position and size, then the limits asked for.
        std::vector<std::uint32_t> hints(18, 0);
        hints[0] = 1 | 2; // USPosition | USSize
        hints[1] = std::uint32_t(x);
        hints[2] = std::uint32_t(y);
        hints[3] = std::uint32_t(o["w"].toInt());
        hints[4] = std::uint32_t(o["h"].toInt());
        if (o["minWidth"].toInt() || o["minHeight"].toInt()) {
            hints[0] |= 16;
            hints[5] = std::uint32_t(o["minWidth"].toInt());
            hints[6] = std::uint32_t(o["minHeight"].toInt());
        }
        if (o["maxWidth"].toInt() || o["maxHeight"].toInt()) {
            hints[0] |= 32;
            hints[7] = std::uint32_t(o["maxWidth"].toInt());
            hints[8] = std::uint32_t(o["maxHeight"].toInt());
        }
        setCardinals(c, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, hints);
        setCardinals(c, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                     {1, o["acceptsFocus"].toBool() ? 1u : 0u, 0, 0, 0, 0, 0, 0, 0}); // InputHint

        const QString type = o["type"].toString();
        if (!type.isEmpty()) {
            const QByteArray name = "_NET_WM_WINDOW_TYPE_" + type.toUpper().toLatin1();
            setCardinals(c, w, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, {atom(c, name.constData())});
        }
        if (o["transient"].toBool())
            setCardinals(c, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {screen->root});
        std::vector<std::uint32_t> strut;
        for (const QJsonValue v : o["strut"].toArray())
            strut.push_back(std::uint32_t(v.toInteger()));
        if (!strut.empty())
            setCardinals(c, w, atom(c, "_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, strut);
        xcb_map_window(c, w);
    }
    xcb_flush(c);

    std::size_t mapped = 0;
    std::size_t open = windows.size();
    while (xcb_generic_event_t* ev = xcb_wait_for_event(c)) {
        const int t = ev->response_type & 0x7f;
        if (t == XCB_MAP_NOTIFY && mapped < windows.size() && ++mapped == windows.size()) {
            std::printf("ready");
            for (xcb_window_t w : windows)
                std::printf(" %u", w);
            std::printf("\n");
            std::fflush(stdout);
        } else if (t == XCB_CLIENT_MESSAGE) {
            const auto* m = reinterpret_cast<xcb_client_message_event_t*>(ev);
            if (m->type == protocols && m->data.data32[0] == deleteWindow && o["closes"].toBool()) {
                xcb_destroy_window(c, m->window);
                xcb_flush(c);
                if (--open == 0 && !o["lingers"].toBool()) {
                    xcb_disconnect(c);
                    std::_Exit(0);
                }
            }
        }
        std::free(ev);
    }
    std::_Exit(0); // the server went away
}

[[noreturn]] void runQtClient(const QJsonObject& o)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    static int argc = 1;
    static char name[] = "tavrin-test-client";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    QRasterWindow window;
    window.setTitle(o["title"].toString());
    if (o["minWidth"].toInt() || o["minHeight"].toInt())
        window.setMinimumSize({o["minWidth"].toInt(), o["minHeight"].toInt()});
    window.setGeometry(o["x"].toInt(), o["y"].toInt(), o["w"].toInt(), o["h"].toInt());
    window.show();
    while (!window.isExposed())
        app.processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("ready %llu\n", static_cast<unsigned long long>(window.winId()));
    std::fflush(stdout);
    app.exec();
    std::_Exit(0);
}

// Client processes start here, before anything else of the program runs.
const bool kClientMode = (X11TestClient::runIfClientProcess(), true);
} // namespace

void X11TestClient::runIfClientProcess()
{
    const QByteArray value = qgetenv(kClientVariable);
    if (value.isEmpty())
        return;
    const QJsonObject o = QJsonDocument::fromJson(value).object();
    if (o["qt"].toBool())
        runQtClient(o);
    runPlainClient(o);
}

QString X11TestClient::modeVariable() { return QString::fromLatin1(kClientVariable); }

QString X11TestClient::modeValue(const Options& options)
{
    return QString::fromUtf8(QJsonDocument(toJson(options)).toJson(QJsonDocument::Compact));
}

std::unique_ptr<X11TestClient> X11TestClient::start(const QProcessEnvironment& env, const Options& options,
                                                    QString* error)
{
    (void)kClientMode;
    std::unique_ptr<X11TestClient> client(new X11TestClient);
    client->process_ = XvfbSession::childProcess();
    QProcessEnvironment e = env;
    e.insert(modeVariable(), modeValue(options));
    client->process_->setProcessEnvironment(e);
    client->process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    client->process_->start(QStringLiteral("/proc/self/exe"), {});
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
