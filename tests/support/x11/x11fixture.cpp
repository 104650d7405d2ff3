#include "support/x11/x11fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <csignal>

namespace tavrin {

void X11Test::SetUp()
{
    QString error;
    bool noServer = false;
    session_ = XvfbSession::start(&error, sessionOptions(), &noServer);
    if (!session_ && noServer)
        GTEST_SKIP() << "No X server for this test: " << error.toStdString();
    ASSERT_TRUE(session_) << error.toStdString();
    desktop_ = X11Desktop::connect(&error, session_->display());
    ASSERT_TRUE(desktop_) << error.toStdString();
    platform_ = desktop_->startServices({.defaults = &defaults_, .clock = &clock_});
    probe_ = X11Connection::open(session_->display(), &error);
    ASSERT_TRUE(probe_) << error.toStdString();
}

void X11Test::TearDown()
{
    for (auto& p : programs_) {
        p->terminate();
        if (!p->waitForFinished(2000))
            p->kill();
        p->waitForFinished(2000);
    }
    programs_.clear();
    clients_.clear();
    desktop_.reset();
    probe_.reset();
    session_.reset();
}

X11TestClient* X11Test::startClient(X11TestClient::Options options)
{
    QString error;
    auto c = X11TestClient::start(session_->environment(), options, &error);
    EXPECT_TRUE(c) << error.toStdString();
    if (!c)
        return nullptr;
    clients_.push_back(std::move(c));
    return clients_.back().get();
}

X11TestClient* X11Test::startClient(const QString& title, Rect client)
{
    return startClient(plainClient(title, client));
}

X11TestClient::Options X11Test::plainClient(const QString& title, Rect client)
{
    X11TestClient::Options o;
    o.title = title;
    o.client = client;
    return o;
}

X11TestClient::Options X11Test::qtClient(const QString& title, Rect client)
{
    X11TestClient::Options o = plainClient(title, client);
    o.qt = true;
    return o;
}

X11TestClient::Options X11Test::oldClient(const QString& title)
{
    X11TestClient::Options o = plainClient(title);
    o.legacyTitleOnly = true;
    o.setPid = false;
    o.acceptsFocus = false;
    return o;
}

X11TestClient::Options X11Test::limitedClient(const QString& title, Rect client, Size min, Size max)
{
    X11TestClient::Options o = plainClient(title, client);
    o.minWidth = int(min.width);
    o.minHeight = int(min.height);
    o.maxWidth = int(max.width);
    o.maxHeight = int(max.height);
    return o;
}

X11TestClient::Options X11Test::dock(const QString& title, Rect area, std::vector<std::uint32_t> strut)
{
    X11TestClient::Options o = plainClient(title, area);
    o.type = QStringLiteral("dock");
    o.strut = std::move(strut);
    return o;
}

X11TestClient::Options X11Test::manyWindows(const QString& title, int count)
{
    X11TestClient::Options o = plainClient(title);
    o.windows = count;
    return o;
}

X11TestClient::Options X11Test::ofClass(const QString& title, const QString& wmClass)
{
    X11TestClient::Options o = plainClient(title);
    o.wmClass = wmClass;
    return o;
}

AXElement X11Test::startXterm(int x, int y, const QString& folder, const QStringList& arguments)
{
    const QString xterm = QStandardPaths::findExecutable(QStringLiteral("xterm"));
    EXPECT_FALSE(xterm.isEmpty()) << "xterm is not installed (Debian package xterm).";
    if (xterm.isEmpty())
        return {};
    auto p = XvfbSession::childProcess();
    p->setProcessEnvironment(session_->environment());
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    if (!folder.isEmpty())
        p->setWorkingDirectory(folder);
    p->start(xterm, QStringList{QStringLiteral("-geometry"), QStringLiteral("80x24+%1+%2").arg(x).arg(y)} + arguments);
    EXPECT_TRUE(p->waitForStarted(int(XvfbSession::kWaitSeconds * 1000))) << p->errorString().toStdString();
    const int pid = int(p->processId());
    programs_.push_back(std::move(p));
    std::vector<AXElement> windows;
    const bool shown = waitUntil([&] {
        windows = ax().attribute(ax().applicationElement(pid), ax::Windows)
                      .as<std::vector<AXElement>>()
                      .value_or(std::vector<AXElement>{});
        return !windows.empty();
    });
    EXPECT_TRUE(shown) << "xterm shows no window";
    return shown ? windows.front() : AXElement{};
}

bool X11Test::holdUntil(const std::function<bool()>& done)
{
    const double deadline = X11Connection::steadyNow() + XvfbSession::kWaitSeconds;
    while (!done() && X11Connection::steadyNow() < deadline)
        QThread::msleep(2);
    return done();
}

std::uint32_t X11Test::requestsDuring(X11Connection& conn, const std::function<void()>& f)
{
    const auto before = xcb_get_input_focus(conn.xcb());
    f();
    const auto after = xcb_get_input_focus(conn.xcb());
    xcb_discard_reply(conn.xcb(), before.sequence);
    xcb_discard_reply(conn.xcb(), after.sequence);
    return after.sequence - before.sequence - 1;
}

bool X11Test::waitUntil(const std::function<bool()>& done, double seconds)
{
    const double deadline = X11Connection::steadyNow() + seconds;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (done())
            return true;
        if (X11Connection::steadyNow() > deadline)
            return false;
        QThread::msleep(2);
    }
}

xcb_window_t X11Test::frameWindow(xcb_window_t client)
{
    const auto cookie = xcb_query_tree(probe_->xcb(), client);
    if (!probe_->sync(XvfbSession::kWaitSeconds))
        return 0;
    XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(probe_->xcb(), cookie, nullptr));
    if (!tree)
        return 0;
    return tree->parent == tree->root ? client : tree->parent;
}

Rect X11Test::frameWindowGeometry(xcb_window_t client)
{
    auto* c = probe_->xcb();
    const xcb_window_t frame = frameWindow(client);
    if (!frame)
        return {};
    const auto geometryCookie = xcb_get_geometry(c, frame);
    if (!probe_->sync(XvfbSession::kWaitSeconds))
        return {};
    XcbReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    if (!g)
        return {};
    return {double(g->x), double(g->y), double(g->width + 2 * g->border_width),
            double(g->height + 2 * g->border_width)};
}

xcb_window_t X11Test::activeWindow()
{
    auto cookie = probe_->requestProperty(probe_->root(), probe_->ewmh()->_NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW, 1);
    if (!probe_->sync(XvfbSession::kWaitSeconds))
        return 0;
    const auto v = X11Connection::cardinals(probe_->takeProperty(cookie).get());
    return v.empty() ? 0 : v[0];
}

std::vector<xcb_atom_t> X11Test::wmState(xcb_window_t client)
{
    auto cookie = probe_->requestProperty(client, probe_->ewmh()->_NET_WM_STATE, XCB_ATOM_ATOM, 32);
    if (!probe_->sync(XvfbSession::kWaitSeconds))
        return {};
    const auto v = X11Connection::cardinals(probe_->takeProperty(cookie).get());
    return {v.begin(), v.end()};
}

bool X11Test::hasState(xcb_window_t client, xcb_atom_t state)
{
    const auto states = wmState(client);
    return std::find(states.begin(), states.end(), state) != states.end();
}

bool X11Test::activate(xcb_window_t window)
{
    probe_->sendRootMessage(window, probe_->ewmh()->_NET_ACTIVE_WINDOW, 2, XCB_CURRENT_TIME, 0);
    probe_->flush();
    return waitUntil([&] { return activeWindow() == window; });
}

bool X11Test::windowManagerCaughtUp()
{
    // It sets the frame extents of a window of ours that it was asked about
    // (never mapped) only once it has handled the events before the request.
    auto* c = probe_->xcb();
    const xcb_window_t asking = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, asking, probe_->root(), 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    probe_->sendRootMessage(asking, probe_->ewmh()->_NET_REQUEST_FRAME_EXTENTS, 0);
    probe_->flush();
    const bool answered = waitUntil([&] {
        const auto cookie = probe_->requestProperty(asking, probe_->ewmh()->_NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4);
        return probe_->sync(XvfbSession::kWaitSeconds)
               && X11Connection::cardinals(probe_->takeProperty(cookie).get()).size() == 4;
    });
    xcb_destroy_window(c, asking);
    probe_->flush();
    return answered;
}

bool X11Test::stopWindowManager()
{
    // Openbox, for one, gives a newly mapped window without an icon a
    // default one and redraws the frame under a server grab; stopped inside
    // that, it would freeze every client, the program under test and this
    // test included.
    const auto wm = pid_t(session_->windowManagerPid());
    return wm > 0 && windowManagerCaughtUp() && ::kill(wm, SIGSTOP) == 0;
}

void X11Test::continueWindowManager()
{
    if (const auto wm = pid_t(session_->windowManagerPid()); wm > 0)
        ::kill(wm, SIGCONT);
}

bool X11Test::xdotool(const QStringList& args)
{
    QProcess p;
    p.setProcessEnvironment(session_->environment());
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(int(XvfbSession::kWaitSeconds * 1000)) && p.exitStatus() == QProcess::NormalExit
           && p.exitCode() == 0;
}

QImage X11Test::screenshot(const Rect& crop)
{
    auto* c = probe_->xcb();
    const auto* screen = probe_->screen();
    const QRect part = crop.isEmpty() ? QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels)
                                      : QRect(int(crop.x), int(crop.y), int(crop.width), int(crop.height));
    const auto cookie =
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, probe_->root(), std::int16_t(part.x()), std::int16_t(part.y()),
                      std::uint16_t(part.width()), std::uint16_t(part.height()), ~0u);
    if (!probe_->sync(5.0))
        return {};
    XcbReply<xcb_get_image_reply_t> image(xcb_get_image_reply(c, cookie, nullptr));
    if (!image || image->depth != 24)
        return {};
    return QImage(xcb_get_image_data(image.get()), part.width(), part.height(), QImage::Format_RGB32).copy();
}

void X11Test::saveImage(const QImage& image, const QString& name)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/artifacts");
    QDir().mkpath(dir);
    const QString path = dir + u'/' + name;
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    RecordProperty("screenshot", path.toStdString());
}

void X11Test::saveScreenshot(const QString& name, const Rect& crop)
{
    const QImage shot = screenshot(crop);
    ASSERT_FALSE(shot.isNull());
    saveImage(shot, name);
}

} // namespace tavrin
