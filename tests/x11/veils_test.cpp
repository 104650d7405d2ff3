// Share-safe's veils on a real X11 desktop (Xvfb without a compositor, under
// openbox and under xfwm4, whose frames are built otherwise), with the built
// program: a private application's xterm, drawn in colours nothing else on
// the screen uses, must never show while covering is on — not standing
// still, not opened while covering is on, not moved or resized by the window
// manager, a pager or the mouse, not restored from minimised, not with the
// window manager gone — and clicks on its veil must still reach it, while
// windows above it stay in full view. An independent probe grabs the screen
// as fast as it can meanwhile; every screenshot that shows the xterm is
// kept as an artifact.

#include "programtest.h"
#include "support/privatebus.h"
#include "support/sanitised.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <thread>

namespace tavrin {
namespace {

using testing::kSanitised;

// Openbox as users have it: a press on a title bar raises the window and a
// drag moves it; a drag by the bottom right corner resizes it; a press
// inside a window raises and focuses it.
const char kMouse[] = R"(<dragThreshold>1</dragThreshold>
  <context name="Titlebar">
    <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    <mousebind button="Left" action="Drag"><action name="Move"/></mousebind>
  </context>
  <context name="BRCorner">
    <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    <mousebind button="Left" action="Drag"><action name="Resize"/></mousebind>
  </context>
  <context name="Client">
    <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
  </context>)";

// The private xterms' text and background: colours nothing else here draws.
const QColor kText(255, 0, 255);
const QColor kBackground(0, 255, 0);
// Plain (not private) xterms' colours.
const QColor kPlainText(0, 0, 255);
const QColor kPlainBackground(255, 255, 0);

// Pixels of a colour in a picture.
int count(const QImage& image, const QColor& a, const QColor& b = QColor())
{
    const QRgb x = a.rgb() & 0xFFFFFF, y = b.isValid() ? b.rgb() & 0xFFFFFF : x;
    int n = 0;
    for (int row = 0; row < image.height(); ++row) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        for (int col = 0; col < image.width(); ++col) {
            const QRgb p = line[col] & 0xFFFFFF;
            n += p == x || p == y;
        }
    }
    return n;
}
int leaks(const QImage& image) { return count(image, kText, kBackground); }

// Grabs the screen as fast as it can on a connection of its own, counting
// the screenshots that show a private xterm and keeping the first of them.
class LeakWatch {
public:
    // Counts screenshots that show `colours` (a private xterm's by default).
    LeakWatch(const QString& display, const Rect& region, std::vector<QColor> colours = {kText, kBackground})
        : region_(region),
          colours_(std::move(colours))
    {
        QString error;
        conn_ = X11Connection::open(display, &error, X11Connection::Events::dropped);
        thread_ = std::thread([this] { run(); });
    }
    ~LeakWatch() { stop(); }
    void stop()
    {
        stopping_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    int shots() const { return shots_; }
    int leaking() const { return leaking_; }
    std::vector<QImage> kept()
    {
        std::lock_guard lock(mutex_);
        return kept_;
    }

private:
    void run()
    {
        while (conn_ && !stopping_) {
            auto* c = conn_->xcb();
            const auto cookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, conn_->root(), std::int16_t(region_.x),
                                              std::int16_t(region_.y), std::uint16_t(region_.width),
                                              std::uint16_t(region_.height), ~0u);
            XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(c, cookie, nullptr));
            if (!reply)
                return;
            const QImage image(xcb_get_image_data(reply.get()), int(region_.width), int(region_.height),
                               QImage::Format_RGB32);
            ++shots_;
            if (count(image, colours_.front(), colours_.back()) > 0) {
                ++leaking_;
                std::lock_guard lock(mutex_);
                if (kept_.size() < 8)
                    kept_.push_back(image.copy());
            }
        }
    }

    Rect region_;
    std::vector<QColor> colours_;
    std::unique_ptr<X11Connection> conn_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> shots_{0}, leaking_{0};
    std::mutex mutex_;
    std::vector<QImage> kept_;
};

// Looks at every window-manager frame the moment it is mapped, on a
// connection of its own: one that holds a private window (by its class) and
// has no cover of the program's on top of its children then counts as shown
// uncovered — its title bar and borders at least.
class FrameWatch {
public:
    FrameWatch(const QString& display, qint64 program, QStringList classes)
        : program_(program),
          classes_(std::move(classes))
    {
        QString error;
        conn_ = X11Connection::open(display, &error, X11Connection::Events::dropped);
        if (!conn_)
            return;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(conn_->xcb(), conn_->root(), XCB_CW_EVENT_MASK, &mask);
        conn_->flush();
        thread_ = std::thread([this] { run(); });
    }
    ~FrameWatch()
    {
        stopping_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    int framed() const { return framed_; }
    int uncovered() const { return uncovered_; }

private:
    void run()
    {
        xcb_connection_t* c = conn_->xcb();
        while (!stopping_) {
            pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&p, 1, 50);
            std::vector<xcb_window_t> mapped;
            while (XcbReply<xcb_generic_event_t> e{xcb_poll_for_event(c)})
                if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY)
                    mapped.push_back(reinterpret_cast<xcb_map_notify_event_t*>(e.get())->window);
            for (xcb_window_t w : mapped)
                look(w);
        }
    }
    void look(xcb_window_t frame)
    {
        xcb_connection_t* c = conn_->xcb();
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, frame), nullptr));
        const int n = tree ? xcb_query_tree_children_length(tree.get()) : 0;
        const xcb_window_t* children = n ? xcb_query_tree_children(tree.get()) : nullptr;
        bool holdsPrivate = false;
        for (int i = 0; i < n && !holdsPrivate; ++i) {
            XcbReply<xcb_get_property_reply_t> cls(xcb_get_property_reply(
                c, xcb_get_property(c, 0, children[i], XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
            holdsPrivate = classes_.contains(X11Connection::strings(cls.get()).value(1));
        }
        if (!holdsPrivate)
            return;
        ++framed_;
        const xcb_window_t last = children[n - 1];
        XcbReply<xcb_get_window_attributes_reply_t> a(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, last), nullptr));
        XcbReply<xcb_get_property_reply_t> pid(xcb_get_property_reply(
            c, xcb_get_property(c, 0, last, conn_->ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        const auto pids = X11Connection::cardinals(pid.get());
        if (!(a && a->override_redirect && !pids.empty() && qint64(pids[0]) == program_))
            ++uncovered_;
    }

    qint64 program_;
    QStringList classes_;
    std::unique_ptr<X11Connection> conn_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> framed_{0}, uncovered_{0};
};

class X11Veils : public X11ProgramTest {
protected:
    XvfbSession::Options sessionOptions() const override
    {
        XvfbSession::Options options;
        options.windowManagerMouse = QString::fromLatin1(kMouse);
        options.secondScreen = true;
        return options;
    }
    QString wm() const { return sessionOptions().windowManagerProgram; }
    // The window manager, and whether it composites.
    QString setUp() const
    {
        return wm() + (sessionOptions().compositor ? QStringLiteral("-composited") : QString()) + compositor_;
    }
    // A compositor started besides the window manager's (its name's suffix).
    QString compositor_;

    // An xterm full of text in the colours above, its top left corner at `at`.
    xcb_window_t startSecret(const QString& title, Point at, QSize cells = {70, 20})
    {
        return startTitledXterm(title, at, cells, secretArguments());
    }
    static QStringList secretArguments()
    {
        return {QStringLiteral("-fg"),
                kText.name(),
                QStringLiteral("-bg"),
                kBackground.name(),
                QStringLiteral("-cr"),
                kText.name(),
                QStringLiteral("-e"),
                QStringLiteral("sh"),
                QStringLiteral("-c"),
                QStringLiteral("for i in $(seq 40); do echo 'SECRET 0123456789 PASSWORD 0123456789 SECRET'; done; "
                               "exec sleep 600")};
    }
    // An xterm of another application class, in other colours.
    xcb_window_t startPlain(const QString& title, Point at, QSize cells = {60, 16})
    {
        return startTitledXterm(title, at, cells,
                                {QStringLiteral("-name"), QStringLiteral("plainterm"), QStringLiteral("-class"),
                                 QStringLiteral("PlainTerm"), QStringLiteral("-fg"), kPlainText.name(),
                                 QStringLiteral("-bg"), kPlainBackground.name()});
    }

    // Whether the program's cover stands over `client`: a mapped
    // override-redirect child of the program's at the top of the window
    // manager's frame (or of the client itself, unframed).
    bool covered(xcb_window_t client) { return coveredIn(frameWindow(client)); }
    // Whether the program's cover stands on top of the windows in `top`.
    bool coveredIn(xcb_window_t top)
    {
        auto* c = probe_->xcb();
        if (!top)
            return false;
        const auto treeCookie = xcb_query_tree(c, top);
        if (!probe_->sync())
            return false;
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, treeCookie, nullptr));
        const int n = tree ? xcb_query_tree_children_length(tree.get()) : 0;
        if (n == 0)
            return false;
        const xcb_window_t last = xcb_query_tree_children(tree.get())[n - 1];
        const auto attributes = xcb_get_window_attributes(c, last);
        const auto pid = probe_->requestProperty(last, probe_->ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
        if (!probe_->sync())
            return false;
        XcbReply<xcb_get_window_attributes_reply_t> a(xcb_get_window_attributes_reply(c, attributes, nullptr));
        const auto pids = X11Connection::cardinals(probe_->takeProperty(pid).get());
        const bool ok = a && a->override_redirect && a->map_state != XCB_MAP_STATE_UNMAPPED && !pids.empty()
                        && qint64(pids[0]) == tavrin_.processId();
        return ok;
    }

    // The largest window of the program's inside `parent` (its covers).
    QSize largestInside(xcb_window_t parent)
    {
        auto* c = probe_->xcb();
        const auto cookie = xcb_query_tree(c, parent);
        if (!probe_->sync())
            return {};
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, cookie, nullptr));
        QSize largest;
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t w = xcb_query_tree_children(tree.get())[i];
            const auto geometry = xcb_get_geometry(c, w);
            const auto pid = probe_->requestProperty(w, probe_->ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
            if (!probe_->sync())
                return {};
            XcbReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, geometry, nullptr));
            const auto pids = X11Connection::cardinals(probe_->takeProperty(pid).get());
            if (g && !pids.empty() && qint64(pids[0]) == tavrin_.processId())
                largest = largest.expandedTo(QSize(g->width, g->height));
        }
        return largest;
    }
    // Whether a window of the program's stands directly above `client`, its
    // border included (a cover beside a window no window manager frames).
    bool coveredBeside(xcb_window_t client)
    {
        auto* c = probe_->xcb();
        const auto parentCookie = xcb_query_tree(c, client);
        const auto geometryCookie = xcb_get_geometry(c, client);
        if (!probe_->sync())
            return false;
        XcbReply<xcb_query_tree_reply_t> up(xcb_query_tree_reply(c, parentCookie, nullptr));
        XcbReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, geometryCookie, nullptr));
        if (!up || !g)
            return false;
        const auto siblingsCookie = xcb_query_tree(c, up->parent);
        if (!probe_->sync())
            return false;
        XcbReply<xcb_query_tree_reply_t> siblings(xcb_query_tree_reply(c, siblingsCookie, nullptr));
        const int n = siblings ? xcb_query_tree_children_length(siblings.get()) : 0;
        const xcb_window_t* children = n ? xcb_query_tree_children(siblings.get()) : nullptr;
        const auto at = std::find(children, children + n, client);
        if (at == children + n || at + 1 == children + n)
            return false;
        const xcb_window_t above = *(at + 1);
        const auto aboveGeometry = xcb_get_geometry(c, above);
        const auto pid = probe_->requestProperty(above, probe_->ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
        if (!probe_->sync())
            return false;
        XcbReply<xcb_get_geometry_reply_t> a(xcb_get_geometry_reply(c, aboveGeometry, nullptr));
        const auto pids = X11Connection::cardinals(probe_->takeProperty(pid).get());
        return a && !pids.empty() && qint64(pids[0]) == tavrin_.processId() && a->x == g->x && a->y == g->y
               && a->width == g->width + 2 * g->border_width && a->height == g->height + 2 * g->border_width;
    }

    // Covering turned on with the Share-safe shortcut, the xterm covered.
    bool coverSecret(xcb_window_t xterm, bool firstRun = false)
    {
        return startTavrin(QStringLiteral("xcb"), {{QStringLiteral("privacy.apps"), QStringList{"XTerm"}}}, firstRun)
               && turnCoveringOn(xterm);
    }
    // One press of the shortcut, once the program runs (it holds its hot
    // keys by then), and `client` covered. Pressed once only: a loaded
    // machine may take long to answer, and a second press would turn
    // covering off again.
    bool turnCoveringOn(xcb_window_t client)
    {
        return xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+shift+p")})
               && waitUntil([&] { return covered(client); });
    }

    // The program's menu-bar window, opened as a second start opens it, and
    // kept as `restart-<name>.png`: its pixels in the colour of its notices.
    int menuBarWindowNoticePixels(const QString& name)
    {
        QProcess second;
        second.setProcessEnvironment(environmentFor(QStringLiteral("xcb")));
        second.start(QStringLiteral(TAVRIN_BINARY), {QStringLiteral("--desktop"), QStringLiteral("x11")});
        if (!second.waitForFinished(int(XvfbSession::kWaitSeconds * 1000)) || second.exitCode() != 0)
            return -1;
        xcb_window_t shown = 0;
        waitUntil([&] { return (shown = menuBarWindow()) != 0; });
        if (!shown)
            return -1;
        // Drawn once it stays the same.
        QImage last, now;
        waitUntil([&] {
            last = now;
            pause(0.2);
            now = screenshot(frameWindowGeometry(shown));
            return !now.isNull() && now == last;
        });
        saveImage(now, QStringLiteral("restart-%1.png").arg(name));
        int amber = 0;
        for (int y = 0; y < now.height(); ++y)
            for (int x = 0; x < now.width(); ++x) {
                const QColor c = now.pixelColor(x, y);
                amber += std::abs(c.red() - 240) < 24 && std::abs(c.green() - 168) < 24 && std::abs(c.blue() - 58) < 24;
            }
        return amber;
    }
    // Runs `what` while the screen is watched; answers the leaking
    // screenshots, keeping them as `<name>-N.png`.
    int watched(const QString& name, const std::function<void()>& what, const Rect& region = Rect(0, 0, 1720, 1000),
                std::vector<QColor> colours = {kText, kBackground}, const QString& screen = {})
    {
        LeakWatch watch(session_->display() + screen, region, std::move(colours));
        what();
        pause(0.3);
        // A loaded machine grabs slowly: enough screenshots after it, however long they take.
        const int after = watch.shots() + 4;
        waitUntil([&] { return watch.shots() >= after; }, 30.0);
        watch.stop();
        const std::vector<QImage> kept = watch.kept();
        for (std::size_t i = 0; i < kept.size(); ++i)
            saveImage(kept[i], QStringLiteral("veils-%1-%2-%3.png").arg(setUp(), name).arg(i));
        std::printf("[ veils ] %s, %s: %d screenshots, %d showing a private window\n", qPrintable(setUp()),
                    qPrintable(name), watch.shots(), watch.leaking());
        RecordProperty((name + QStringLiteral("Screenshots")).toStdString(), watch.shots());
        RecordProperty((name + QStringLiteral("Leaking")).toStdString(), watch.leaking());
        EXPECT_GT(watch.shots(), 3) << name.toStdString();
        return watch.leaking();
    }

    void moveResize(xcb_window_t w, std::optional<Point> at, std::optional<QSize> size = std::nullopt)
    {
        std::uint32_t flags = XCB_GRAVITY_NORTH_WEST | (2u << 12);
        flags |= at ? (1u << 8) | (1u << 9) : 0;
        flags |= size ? (1u << 10) | (1u << 11) : 0;
        probe_->sendRootMessage(w, probe_->ewmh()->_NET_MOVERESIZE_WINDOW, flags,
                                at ? std::uint32_t(std::int32_t(at->x)) : 0,
                                at ? std::uint32_t(std::int32_t(at->y)) : 0, size ? std::uint32_t(size->width()) : 0,
                                size ? std::uint32_t(size->height()) : 0);
        probe_->flush();
    }

    // (a) to (d): opened, jumped and resized by a pager and by xdotool,
    // resized by a corner with the mouse, minimised and restored.
    void newMovedResizedAndRestoredPrivateWindowsNeverShow()
    {
        const xcb_window_t first = startSecret(QStringLiteral("Secret"), {120, 200});
        ASSERT_TRUE(first);
        ASSERT_GT(leaks(screenshot(Rect(0, 0, 1720, 1000))), 1000) << "the xterm shows its colours before covering";
        ASSERT_TRUE(coverSecret(first)) << output_.toStdString() << tavrin_.readAllStandardError().toStdString();

        std::vector<xcb_window_t> opened;
        EXPECT_EQ(watched(QStringLiteral("opened"),
                          [&] {
                              for (int i = 0; i < 6; ++i)
                                  opened.push_back(startSecret(QStringLiteral("New %1").arg(i),
                                                               {double(200 + 150 * i), double(150 + 60 * i)}));
                          }),
                  0);
        for (xcb_window_t w : opened)
            EXPECT_TRUE(w && covered(w));

        QRandomGenerator random(28);
        EXPECT_EQ(watched(QStringLiteral("jumps"),
                          [&] {
                              for (int i = 0; i < 24; ++i) {
                                  const Point to{double(random.bounded(-200, 1300)), double(random.bounded(0, 600))};
                                  if (i % 2)
                                      moveResize(first, to);
                                  else
                                      xdotool({QStringLiteral("windowmove"), QString::number(first),
                                               QString::number(to.x), QString::number(to.y)});
                                  pause(0.05);
                              }
                              for (int i = 0; i < 12; ++i) {
                                  const QSize size(random.bounded(200, 900), random.bounded(150, 700));
                                  if (i % 2)
                                      moveResize(first, std::nullopt, size);
                                  else
                                      xdotool({QStringLiteral("windowsize"), QString::number(first),
                                               QString::number(size.width()), QString::number(size.height())});
                                  pause(0.05);
                              }
                          }),
                  0);

        // A corner dragged out with the mouse, 300 × 250 points in 0.2 s.
        moveResize(first, Point{100, 100}, QSize(400, 300));
        ASSERT_TRUE(waitUntil([&] { return frameWindowGeometry(first).x == 100; }, 3.0));
        ASSERT_TRUE(activate(first)) << "the new ones stand over its corner";
        pause(0.2);
        const Rect frame = frameWindowGeometry(first);
        EXPECT_EQ(watched(QStringLiteral("corner"),
                          [&] {
                              const Point grip{frame.maxX() - 2, frame.maxY() - 3};
                              QStringList steps{QStringLiteral("mousemove"), QString::number(grip.x),
                                                QString::number(grip.y), QStringLiteral("mousedown"),
                                                QStringLiteral("1")};
                              for (int i = 1; i <= 50; ++i)
                                  steps << QStringLiteral("mousemove") << QString::number(grip.x + 6 * i)
                                        << QString::number(grip.y + 5 * i) << QStringLiteral("sleep")
                                        << QStringLiteral("0.004");
                              steps << QStringLiteral("mouseup") << QStringLiteral("1");
                              xdotool(steps);
                              pause(0.5);
                          }),
                  0);
        EXPECT_GT(frameWindowGeometry(first).width, frame.width + 100) << "the corner drag resized the xterm";

        EXPECT_EQ(watched(QStringLiteral("restore"),
                          [&] {
                              for (int i = 0; i < 3; ++i) {
                                  probe_->sendRootMessage(first, probe_->atoms().wmChangeState, 3);
                                  probe_->flush();
                                  waitUntil([&] { return !isViewable(first); }, 3.0);
                                  pause(0.2);
                                  activate(first);
                                  waitUntil([&] { return isViewable(first); }, 3.0);
                                  pause(0.3);
                              }
                          }),
                  0);
        EXPECT_TRUE(covered(first));
    }

    // (f) A plain window and the program's own window above a private one
    // stay in full view.
    void windowsAboveAPrivateOneStayInView()
    {
        const xcb_window_t secret = startSecret(QStringLiteral("Secret"), {100, 100}, {90, 40});
        const xcb_window_t plain = startPlain(QStringLiteral("Plain"), {300, 150});
        ASSERT_TRUE(secret && plain);
        // (A compositor may show a new window a moment after it is mapped.)
        int plainBefore = 0;
        waitUntil(
            [&] { return (plainBefore = count(screenshot(frameWindowGeometry(plain)), kPlainBackground)) > 1000; });
        ASSERT_GT(plainBefore, 1000);
        ASSERT_TRUE(coverSecret(secret, true)) << output_.toStdString();
        // The program's first-run window, a regular window of its own, over the xterm too.
        xcb_window_t own = 0;
        ASSERT_TRUE(waitUntil(
            [&] {
                for (xcb_window_t w : clients()) {
                    const auto pid = probe_->requestProperty(w, probe_->ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
                    probe_->sync();
                    const auto v = X11Connection::cardinals(probe_->takeProperty(pid).get());
                    if (!v.empty() && qint64(v[0]) == tavrin_.processId() && isViewable(w))
                        own = w;
                }
                return own != 0;
            },
            10.0));
        moveResize(own, Point{500, 300});
        ASSERT_TRUE(activate(own));
        pause(0.5);
        // Below its title bar, which changes with the focus.
        const Rect ownFrame = frameWindowGeometry(own).insetBy(0, 40);
        const QImage ownBefore = screenshot(ownFrame);
        ASSERT_TRUE(activate(plain));
        pause(0.5);
        saveScreenshot(QStringLiteral("veils-%1-above.png").arg(wm()), Rect(0, 0, 1720, 1000));
        // As before but for its cursor, now drawn as the focused one.
        EXPECT_GT(count(screenshot(frameWindowGeometry(plain)), kPlainBackground), plainBefore * 0.98)
            << "the plain window is covered";
        // The program's window, under the plain one in part, shows as it did
        // where the plain one does not stand.
        const QImage ownAfter = screenshot(ownFrame);
        const Rect plainFrame = frameWindowGeometry(plain);
        int changed = 0;
        for (int y = 0; y < ownAfter.height(); ++y)
            for (int x = 0; x < ownAfter.width(); ++x)
                changed += !plainFrame.contains(Point{ownFrame.x + x + 0.5, ownFrame.y + y + 0.5})
                           && ownAfter.pixel(x, y) != ownBefore.pixel(x, y);
        EXPECT_LT(changed, ownAfter.width() * ownAfter.height() / 50) << "the program's own window is covered";
        EXPECT_EQ(leaks(screenshot(Rect(0, 0, 1720, 1000))), 0);
    }

    // (e) Standing still; dragged by its title bar across the screen at
    // 2,000 points a second (8 points every 4 ms); then clicked through its veil.
    void draggedAndClicked()
    {
        X11TestClient* other = startClient(qtClient(QStringLiteral("Other"), {1100, 900, 400, 300}));
        const xcb_window_t xterm = startSecret(QStringLiteral("Secret"), {120, 200});
        ASSERT_TRUE(other && xterm);
        ASSERT_TRUE(coverSecret(xterm)) << output_.toStdString() << tavrin_.readAllStandardError().toStdString();
        pause(0.3);
        const QImage still = screenshot(Rect(0, 0, 1720, 1440));
        saveImage(still, QStringLiteral("veils-%1-still.png").arg(wm()));
        EXPECT_EQ(leaks(still), 0);

        const Rect start = frameWindowGeometry(xterm);
        const Point grip{start.x + 120, start.y + 10};
        EXPECT_EQ(watched(QStringLiteral("drag"),
                          [&] {
                              QStringList steps{QStringLiteral("mousemove"), QString::number(grip.x),
                                                QString::number(grip.y),     QStringLiteral("mousedown"),
                                                QStringLiteral("1"),         QStringLiteral("sleep"),
                                                QStringLiteral("0.2")};
                              for (int i = 1; i <= 150; ++i)
                                  steps << QStringLiteral("mousemove") << QString::number(grip.x + 8 * i)
                                        << QString::number(grip.y + 2 * i) << QStringLiteral("sleep")
                                        << QStringLiteral("0.004");
                              steps << QStringLiteral("sleep") << QStringLiteral("0.2") << QStringLiteral("mouseup")
                                    << QStringLiteral("1");
                              ASSERT_TRUE(xdotool(steps));
                          }),
                  0);
        ASSERT_GT(frameWindowGeometry(xterm).x - start.x, 1000) << "the drag moved the xterm";

        // A click on the veil reaches the xterm below it.
        ASSERT_TRUE(activate(other->window()));
        const Rect frame = frameWindowGeometry(xterm);
        const Point inside{frame.x + frame.width / 2, frame.y + frame.height / 2};
        EXPECT_TRUE(xdotool({QStringLiteral("mousemove"), QString::number(inside.x), QString::number(inside.y),
                             QStringLiteral("click"), QStringLiteral("1")}));
        EXPECT_TRUE(waitUntil([&] { return activeWindow() == xterm; }, 3.0)) << "the click went to the veil";
        pause(0.3);
        const QImage clicked = screenshot(Rect(0, 0, 1720, 1440));
        saveImage(clicked, QStringLiteral("veils-%1-clicked.png").arg(wm()));
        EXPECT_EQ(leaks(clicked), 0);
    }

    // A window of the private xterms' colours and class, of another process
    // each (a plain X client, or a Qt one that can hide and open a popup).
    X11TestClient* startPrivate(const QString& title, Rect client,
                                const std::function<void(X11TestClient::Options&)>& tweak = {})
    {
        X11TestClient::Options o = plainClient(title, client);
        o.instance = QStringLiteral("xterm");
        o.wmClass = QStringLiteral("XTerm");
        o.background = kBackground.name();
        if (tweak)
            tweak(o);
        return startClient(o);
    }
    bool unmapped(xcb_window_t w)
    {
        return waitUntil([&] { return !isViewable(w); }, 5.0);
    }
    bool shown(xcb_window_t w)
    {
        return waitUntil([&] { return isViewable(w); }, 5.0);
    }

    // A private xterm on the second screen, found among what its root holds.
    xcb_window_t startOnSecondScreen(const QString& title)
    {
        auto xterm = XvfbSession::childProcess();
        QProcessEnvironment env = session_->environment();
        env.insert(QStringLiteral("DISPLAY"), session_->display() + QStringLiteral(".1"));
        xterm->setProcessEnvironment(env);
        xterm->start(QStringLiteral("xterm"), QStringList{QStringLiteral("-title"), title, QStringLiteral("-geometry"),
                                                          QStringLiteral("60x16+100+100")}
                                                  + secretArguments());
        programs_.push_back(std::move(xterm));
        auto roots = xcb_setup_roots_iterator(xcb_get_setup(probe_->xcb()));
        xcb_screen_next(&roots);
        const xcb_window_t root = roots.rem ? roots.data->root : 0;
        xcb_window_t found = 0;
        const auto find = [&](xcb_window_t in, int depth, const auto& self) -> void {
            const auto cookie = xcb_query_tree(probe_->xcb(), in);
            probe_->sync();
            XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(probe_->xcb(), cookie, nullptr));
            for (int i = 0; tree && !found && i < xcb_query_tree_children_length(tree.get()); ++i) {
                const xcb_window_t w = xcb_query_tree_children(tree.get())[i];
                if (titleOf(w) == title && isViewable(w))
                    found = w;
                else if (depth < 2)
                    self(w, depth + 1, self);
            }
        };
        waitUntil([&] {
            find(root, 0, find);
            return found != 0;
        });
        return found;
    }

    // A private client's window made inside a plain client's window, as a
    // terminal told to embed itself in a tabbing program's makes it: it is
    // covered where it stands, and the rest of the plain window stays in view.
    void embeddedInAPlainWindow()
    {
        X11TestClient::Options host = plainClient(QStringLiteral("Host"), {1250, 700, 400, 280});
        host.background = kPlainBackground.name();
        X11TestClient* plain = startClient(host);
        ASSERT_TRUE(plain);
        X11TestClient* embedded =
            startPrivate(QStringLiteral("Embedded"), {50, 60, 200, 150}, [&](X11TestClient::Options& o) {
                o.parent = plain->window();
                // (A window nothing redirects shows at once when
                // mapped in the breath that made it.)
                o.mapDelay = 20;
            });
        ASSERT_TRUE(embedded);
        EXPECT_TRUE(waitUntil([&] { return coveredIn(embedded->window()); }, 5.0));
        // Covered beside it too, inside the plain window, which stays in view around it (once
        // its class is read: a new client's window is covered whole until then).
        EXPECT_TRUE(waitUntil([&] { return coveredBeside(embedded->window()); }));
        EXPECT_FALSE(covered(plain->window())) << "the plain window's frame is covered";
        EXPECT_TRUE(waitUntil([&] { return largestInside(plain->window()).width() <= 200; }))
            << "the plain window is covered whole";
        saveScreenshot(QStringLiteral("veils-%1-embedded.png").arg(setUp()), Rect(0, 0, 1720, 1000));
    }

    // Every top-level window of a private application is covered, whatever
    // its state when covering goes on (hidden, withdrawn, minimised, on
    // another workspace, above the others, tiny — all started before the
    // program), and whatever makes a new one (popups that bypass the window
    // manager, clients that create, name and map twenty windows at once, a
    // window opened while a layout waits for the window manager). Plain
    // windows opened meanwhile never show the covers' colour.
    void everyWindowOfAPrivateApplicationIsCovered()
    {
        X11TestClient::Options qtOptions = qtClient(QStringLiteral("Private Qt"), {200, 150, 500, 400});
        qtOptions.background = kBackground.name();
        X11TestClient* qt = startClient(qtOptions);
        X11TestClient* withdrawn = startPrivate(QStringLiteral("Withdrawn"), {300, 200, 400, 300});
        X11TestClient* elsewhere = startPrivate(QStringLiteral("Elsewhere"), {400, 250, 400, 300});
        X11TestClient* minimised = startPrivate(QStringLiteral("Minimised"), {500, 300, 400, 300});
        X11TestClient* above = startPrivate(QStringLiteral("Above"), {900, 500, 300, 200},
                                            [](X11TestClient::Options& o) { o.above = true; });
        X11TestClient* tiny = startPrivate(QStringLiteral("Tiny"), {1300, 100, 30, 30});
        ASSERT_TRUE(qt && withdrawn && elsewhere && minimised && above && tiny);
        // Out of sight when covering goes on.
        qt->tell("hide");
        ASSERT_TRUE(xdotool({QStringLiteral("windowunmap"), QString::number(withdrawn->window())}));
        ASSERT_TRUE(xdotool({QStringLiteral("set_num_desktops"), QStringLiteral("2")}));
        ASSERT_TRUE(xdotool(
            {QStringLiteral("set_desktop_for_window"), QString::number(elsewhere->window()), QStringLiteral("1")}));
        probe_->sendRootMessage(minimised->window(), probe_->atoms().wmChangeState, 3);
        probe_->flush();
        for (X11TestClient* c : {qt, withdrawn, elsewhere, minimised})
            ASSERT_TRUE(unmapped(c->window())) << "not out of sight";

        // The Qt client's application is private too.
        const auto cls = probe_->requestProperty(qt->window(), XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        ASSERT_TRUE(probe_->sync());
        const QString qtClass = X11Connection::strings(probe_->takeProperty(cls).get()).value(1);
        ASSERT_FALSE(qtClass.isEmpty());
        ASSERT_TRUE(startTavrin(QStringLiteral("xcb"),
                                {{QStringLiteral("privacy.apps"), QStringList{QStringLiteral("XTerm"), qtClass}}}));
        ASSERT_TRUE(turnCoveringOn(above->window())) << "always on top";
        EXPECT_TRUE(covered(tiny->window())) << "30 × 30";
        // A compositor shows the covers a frame or more after the server has
        // them: the rows below watch new windows, from a covered screen.
        EXPECT_TRUE(waitUntil([&] { return count(screenshot(Rect(0, 0, 1720, 1000)), kText, kBackground) == 0; }));
        const Rect aboveFrame = frameWindowGeometry(above->window());
        const QColor fill = screenshot(Rect(aboveFrame.x + 3, aboveFrame.y + 3, 1, 1)).pixelColor(0, 0);

        // Windows that exist when covering goes on are covered before they
        // appear; new ones as soon as the server tells of them, by a thread
        // of the program's that waits for nothing else.
        struct Case {
            const char* name;
            std::function<void()> run;
        };
        FrameWatch frames(session_->display(), tavrin_.processId(), {QStringLiteral("XTerm"), qtClass});
        const auto flush = [&](const QString& title, const std::function<void(X11TestClient::Options&)>& tweak) {
            return [&, title, tweak] {
                X11TestClient::Options o = plainClient(title, {100, 100, 500, 350});
                o.instance = QStringLiteral("xterm");
                o.wmClass = QStringLiteral("XTerm");
                o.background = kBackground.name();
                o.windows = 20;
                tweak(o);
                X11TestClient* c = startClient(o);
                ASSERT_TRUE(c) << title.toStdString();
                // Their frames too, once the program has seen them framed.
                for (xcb_window_t w : c->windows())
                    EXPECT_TRUE(waitUntil([&] { return covered(w); }, 5.0)) << title.toStdString();
            };
        };
        const Case cases[] = {
            {"shown",
             [&] {
                 qt->tell("show");
                 ASSERT_TRUE(shown(qt->window()));
                 pause(0.3);
             }},
            {"mapped",
             [&] {
                 xdotool({QStringLiteral("windowmap"), QString::number(withdrawn->window())});
                 ASSERT_TRUE(shown(withdrawn->window()));
                 pause(0.3);
             }},
            {"workspace",
             [&] {
                 xdotool({QStringLiteral("set_desktop"), QStringLiteral("1")});
                 ASSERT_TRUE(shown(elsewhere->window()));
                 pause(0.3);
                 xdotool({QStringLiteral("set_desktop"), QStringLiteral("0")});
                 pause(0.3);
             }},
            {"restored",
             [&] {
                 activate(minimised->window());
                 ASSERT_TRUE(shown(minimised->window()));
                 pause(0.3);
             }},
            {"popup",
             [&] {
                 qt->tell("popup");
                 pause(1.0);
                 qt->tell("close");
             }},
            {"flushed", flush(QStringLiteral("Flushed"), [](X11TestClient::Options&) {})},
            {"dialogs", flush(QStringLiteral("Dialog"), [](X11TestClient::Options& o) { o.type = "dialog"; })},
            {"fullscreen", flush(QStringLiteral("Full"), [](X11TestClient::Options& o) { o.fullScreen = true; })},
            {"xterms",
             [&] {
                 for (int i = 0; i < 4; ++i)
                     EXPECT_TRUE(startSecret(QStringLiteral("New %1").arg(i), {double(300 + 200 * i), 400}));
             }},
            {"embedded", [&] { embeddedInAPlainWindow(); }},
            {"classless",
             [&] {
                 // Windows with no class of a private process.
                 X11TestClient* c =
                     startPrivate(QStringLiteral("Named"), {150, 500, 300, 200}, [](X11TestClient::Options& o) {
                         o.laterClass = QStringLiteral("-");
                         o.mapDelay = 20;
                     });
                 ASSERT_TRUE(c);
                 for (int i = 0; i < 3; ++i) {
                     const xcb_window_t w = c->open();
                     ASSERT_TRUE(w);
                     EXPECT_TRUE(waitUntil([&] { return covered(w); }, 5.0)) << "class-less window " << i;
                 }
             }},
            {"after a plain one",
             [&] {
                 // A client whose first window is plain opens private ones.
                 X11TestClient::Options o = plainClient(QStringLiteral("First plain"), {900, 100, 300, 200});
                 o.background = kPlainBackground.name();
                 o.laterClass = QStringLiteral("XTerm");
                 o.laterBackground = kBackground.name();
                 o.mapDelay = 20;
                 X11TestClient* c = startClient(o);
                 ASSERT_TRUE(c);
                 pause(0.3); // its first window judged
                 for (int i = 0; i < 3; ++i) {
                     const xcb_window_t w = c->open();
                     ASSERT_TRUE(w);
                     EXPECT_TRUE(waitUntil([&] { return covered(w); }, 5.0)) << "later window " << i;
                 }
                 EXPECT_FALSE(covered(c->window())) << "the plain first window";
             }},
        };
        // None shows, on a machine loaded past its processors too, but for
        // a new full-screen window under xfwm4's compositor: with every
        // processor busy the compositor may paint one before the covering
        // thread has had a processor to send its cover (one screenshot in
        // one of 24 runs beside eight or sixteen busy loops on eight
        // processors; every other row and set-up 0 in all 24). A screenshot
        // or two may show one where a sanitised build's covering thread,
        // several times slower, waits for a processor. A window left
        // uncovered shows in every screenshot of its row, dozens.
        const auto allowed = [&](const char* row) {
            if (kSanitised)
                return 6;
            return setUp() == QLatin1String("xfwm4-composited") && std::strcmp(row, "fullscreen") == 0 ? 2 : 0;
        };
        for (const Case& c : cases)
            EXPECT_LE(watched(QString::fromLatin1(c.name), c.run), allowed(c.name)) << c.name;

        // A private xterm on the display's second X screen, which openbox
        // (managing one screen) leaves unmanaged and xfwm4 frames as on the first.
        if (sessionOptions().secondScreen) {
            EXPECT_EQ(watched(
                          QStringLiteral("second screen"),
                          [&] {
                              const xcb_window_t w = startOnSecondScreen(QStringLiteral("Second screen"));
                              ASSERT_TRUE(w);
                              EXPECT_TRUE(waitUntil([&] { return covered(w); }, 5.0));
                          },
                          Rect(0, 0, 1280, 800), {kText, kBackground}, QStringLiteral(".1")),
                      0);
        }

        // Forty plain windows opened at once on the right-hand monitor; then a
        // private xterm opened while a layout of them waits for the window
        // manager shows nothing.
        X11TestClient::Options plain = plainClient(QStringLiteral("Plain"), {1800, 100, 300, 200});
        plain.background = kPlainBackground.name();
        plain.windows = 40;
        // Plain windows of a client not seen before are covered from their
        // creation until their class is read: how often that shows is
        // recorded (a count, not a bound).
        watched(QStringLiteral("plain"), [&] { ASSERT_TRUE(startClient(plain)); }, Rect(1720, 0, 1720, 1440),
                {fill, fill});
        ASSERT_TRUE(activate(clientTitled(QStringLiteral("Plain"))));
        xcb_window_t during = 0;
        EXPECT_EQ(watched(
                      QStringLiteral("layout"),
                      [&] {
                          xdotool({QStringLiteral("mousemove"), QStringLiteral("2500"), QStringLiteral("700")});
                          xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+2")});
                          during = startSecret(QStringLiteral("During a layout"), {1900, 300});
                          pause(1.0);
                      },
                      Rect(1720, 0, 1720, 1440)),
                  0);
        EXPECT_TRUE(during && covered(during));
        // Frames of private windows (title bars and borders) found without
        // their cover on top by a client that asks as soon as it hears they
        // are mapped. Where the window manager lets other clients be heard
        // between framing a window and mapping the frame (openbox), the
        // covering thread is there first but for a rare frame on a loaded
        // machine, when the thread waits for a processor longer than the
        // window manager takes. xfwm4 holds the server (a grab) from making
        // the frame to mapping it; the covers sent meanwhile are served first
        // once it lets go, before what the other clients asked (one frame in
        // three uncovered until they were). In a sanitised build, whose
        // covering thread is several times slower, they are only counted.
        EXPECT_GT(frames.framed(), 50);
        if (!kSanitised) {
            EXPECT_LE(frames.uncovered(), frames.framed() / 10);
        }
        RecordProperty("framesMapped", frames.framed());
        RecordProperty("framesUncovered", frames.uncovered());
        std::printf("[ veils ] %s: %d frames of private windows mapped, %d without their cover\n", qPrintable(setUp()),
                    frames.framed(), frames.uncovered());
        for (X11TestClient* c : {qt, withdrawn, elsewhere, minimised, above, tiny})
            EXPECT_TRUE(covered(c->window())) << c->pid();
    }
};

class X11VeilsXfwm : public X11Veils {
protected:
    XvfbSession::Options sessionOptions() const override
    {
        XvfbSession::Options options;
        options.windowManagerProgram = QStringLiteral("xfwm4");
        options.secondScreen = true;
        return options;
    }
};

// xfwm4 with its compositor on, which offers no blur: the covers drawn by the
// server are the whole veil.
class X11VeilsComposited : public X11Veils {
protected:
    XvfbSession::Options sessionOptions() const override
    {
        XvfbSession::Options options;
        options.windowManagerProgram = QStringLiteral("xfwm4");
        options.compositor = true;
        options.secondScreen = true;
        return options;
    }
};

// openbox with xcompmgr, which composites the roots' children alone.
class X11VeilsXcompmgr : public X11Veils {
protected:
    void SetUp() override
    {
        X11Veils::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        QString error;
        ASSERT_TRUE(session_->startCompositor(&error)) << error.toStdString();
        compositor_ = QStringLiteral("-xcompmgr");
    }
};

TEST_F(X11Veils, EveryWindowOfAPrivateApplicationIsCovered) { everyWindowOfAPrivateApplicationIsCovered(); }

TEST_F(X11VeilsXcompmgr, EveryWindowOfAPrivateApplicationIsCovered) { everyWindowOfAPrivateApplicationIsCovered(); }

TEST_F(X11VeilsXfwm, EveryWindowOfAPrivateApplicationIsCovered) { everyWindowOfAPrivateApplicationIsCovered(); }

TEST_F(X11VeilsComposited, EveryWindowOfAPrivateApplicationIsCovered) { everyWindowOfAPrivateApplicationIsCovered(); }

TEST_F(X11VeilsComposited, WindowsAboveAPrivateOneStayInView) { windowsAboveAPrivateOneStayInView(); }

TEST_F(X11Veils, NewMovedResizedAndRestoredPrivateWindowsNeverShow)
{
    newMovedResizedAndRestoredPrivateWindowsNeverShow();
}

TEST_F(X11VeilsXfwm, NewMovedResizedAndRestoredPrivateWindowsNeverShow)
{
    newMovedResizedAndRestoredPrivateWindowsNeverShow();
}

TEST_F(X11Veils, WindowsAboveAPrivateOneStayInView) { windowsAboveAPrivateOneStayInView(); }

TEST_F(X11VeilsXfwm, WindowsAboveAPrivateOneStayInView) { windowsAboveAPrivateOneStayInView(); }

TEST_F(X11Veils, APrivateXtermNeverShowsStandingStillDraggedOrClicked) { draggedAndClicked(); }

TEST_F(X11VeilsXfwm, APrivateXtermNeverShowsStandingStillDraggedOrClicked) { draggedAndClicked(); }

TEST_F(X11Veils, AVeilPastTheScreensEdgeKeepsCoveringItAndGoesWithCovering)
{
    const xcb_window_t xterm = startSecret(QStringLiteral("Secret"), {300, 300});
    ASSERT_TRUE(xterm);
    ASSERT_TRUE(coverSecret(xterm)) << output_.toStdString() << tavrin_.readAllStandardError().toStdString();
    // Moved half off the left edge, as a pager asks the window manager.
    moveResize(xterm, Point{-200, 400});
    ASSERT_TRUE(waitUntil([&] { return frameWindowGeometry(xterm).x == -200; }, 3.0));
    EXPECT_TRUE(covered(xterm));
    EXPECT_EQ(leaks(screenshot(Rect(0, 0, 1720, 1440))), 0);

    // Covering off: the xterm shows again, its veil gone from its frame.
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+shift+p")}));
    EXPECT_TRUE(waitUntil([&] { return !covered(xterm); }, 3.0));
    pause(0.3);
    EXPECT_GT(leaks(screenshot(Rect(0, 0, 1720, 1440))), 1000);
}

// A private window that bypasses the window manager (a menu), with a border,
// is covered by a window beside it too: neither its border nor its drawing
// over its own children (a GC that includes inferiors, which paints over the
// cover inside it) shows, nor a framed one's; and when covered windows have
// the server keep pictures of their children (Composite, by hand), as a
// program that composites its own content does, the covers cost the server
// no more than a screen each and it runs on.
TEST_F(X11Veils, PrivateWindowsDrawingOverOrRedirectingTheirChildrenStayCoveredAndTheServerRuns)
{
    X11TestClient* framed = startPrivate(QStringLiteral("Framed"), {100, 100, 400, 300});
    const auto menu = [](X11TestClient::Options& o) {
        o.overrideRedirect = true;
        o.border = 6;
    };
    X11TestClient* before = startPrivate(QStringLiteral("Menu before"), {700, 150, 300, 250}, menu);
    ASSERT_TRUE(framed && before);
    ASSERT_TRUE(startTavrin(QStringLiteral("xcb"), {{QStringLiteral("privacy.apps"), QStringList{"XTerm"}}}));
    ASSERT_TRUE(turnCoveringOn(framed->window()));
    EXPECT_TRUE(waitUntil([&] { return coveredBeside(before->window()); }, 5.0)) << "found when covering went on";
    X11TestClient* after = nullptr;
    EXPECT_EQ(watched(QStringLiteral("menu"),
                      [&] {
                          after = startPrivate(QStringLiteral("Menu after"), {1100, 150, 300, 250}, menu);
                          ASSERT_TRUE(after);
                          EXPECT_TRUE(waitUntil([&] { return coveredBeside(after->window()); }, 5.0));
                      }),
              0);
    ASSERT_TRUE(after);
    EXPECT_EQ(watched(QStringLiteral("drawing over children"),
                      [&] {
                          for (X11TestClient* c : {framed, before, after})
                              c->tell("draw");
                          pause(1.5);
                      }),
              0);
    // Moved and raised, as a menu's owner moves it: the cover follows.
    xdotool(
        {QStringLiteral("windowmove"), QString::number(after->window()), QStringLiteral("900"), QStringLiteral("500")});
    xdotool({QStringLiteral("windowraise"), QString::number(before->window())});
    EXPECT_TRUE(waitUntil([&] { return coveredBeside(after->window()) && coveredBeside(before->window()); }, 5.0));

    for (X11TestClient* c : {framed, before, after})
        EXPECT_TRUE(c->answer("redirect", "redirected"));
    ASSERT_TRUE(probe_->sync()) << "the X server went";
    EXPECT_TRUE(covered(framed->window()));
    EXPECT_EQ(leaks(screenshot(Rect(0, 0, 1720, 1000))), 0);
}

// Killed while covering, the program leaves private windows in view until it
// starts again; that start covers them at once, before it says it runs, and
// its menu-bar window says why. A quit (SIGTERM) while covering is followed
// by a start with covering off.
TEST_F(X11Veils, AStartAfterAKillWhileCoveringCoversAgainAndSaysSo)
{
    PrivateBus session;
    if (session.address().isEmpty())
        GTEST_SKIP() << session.problem().toStdString();
    programEnvironment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session.address());
    const xcb_window_t xterm = startSecret(QStringLiteral("Secret"), {300, 300});
    ASSERT_TRUE(xterm);
    ASSERT_TRUE(coverSecret(xterm)) << output_.toStdString();
    ASSERT_EQ(::kill(pid_t(tavrin_.processId()), SIGKILL), 0);
    ASSERT_TRUE(tavrin_.waitForFinished(int(XvfbSession::kWaitSeconds * 1000)));
    ASSERT_TRUE(waitUntil([&] { return leaks(screenshot(Rect(0, 0, 1720, 1000))) > 1000; }))
        << "the covers outlived the program";

    output_.clear();
    QElapsedTimer sinceStart;
    sinceStart.start();
    ASSERT_TRUE(startTavrin(QStringLiteral("xcb"))) << output_.toStdString();
    const qint64 running = sinceStart.elapsed();
    EXPECT_TRUE(covered(xterm));
    EXPECT_EQ(leaks(screenshot(Rect(0, 0, 1720, 1000))), 0);
    std::printf("[ veils ] %s: covered again, and running, %lld ms after the start\n", qPrintable(setUp()), running);
    RecordProperty("coveredAgainMs", int(running));
    const int notice = menuBarWindowNoticePixels(QStringLiteral("restarted"));

    ASSERT_TRUE(stopTavrin()) << tavrin_.readAllStandardError().toStdString();
    output_.clear();
    ASSERT_TRUE(startTavrin(QStringLiteral("xcb"))) << output_.toStdString();
    EXPECT_FALSE(covered(xterm));
    const int none = menuBarWindowNoticePixels(QStringLiteral("quit"));
    std::printf("[ veils ] notice pixels %d, without %d\n", notice, none);
    EXPECT_GT(notice, 10 * (none + 10));
    EXPECT_TRUE(stopTavrin());
}

// Another client ends the connection the covers are kept on (a kill of one
// cover window ends it): covering comes back on a new one, with the window
// manager's frames, and covers the windows opened afterwards; the log says so.
TEST_F(X11Veils, CoversComeBackWhenTheirConnectionIsKilled)
{
    const xcb_window_t first = startSecret(QStringLiteral("Secret"), {120, 200});
    const xcb_window_t second = startSecret(QStringLiteral("Secret 2"), {700, 300});
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(coverSecret(first)) << output_.toStdString();
    ASSERT_TRUE(waitUntil([&] { return covered(second); }));
    const auto topChild = [this](xcb_window_t w) {
        const auto cookie = xcb_query_tree(probe_->xcb(), frameWindow(w));
        probe_->sync();
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(probe_->xcb(), cookie, nullptr));
        const int n = tree ? xcb_query_tree_children_length(tree.get()) : 0;
        return n ? xcb_query_tree_children(tree.get())[n - 1] : xcb_window_t(0);
    };
    const xcb_window_t cover = topChild(first);
    ASSERT_TRUE(cover);
    QElapsedTimer back;
    back.start();
    // The server ends the connection, and takes its windows away, before it
    // answers the next request. (The next connection may be given the same
    // ids: the covers are told apart by when they are there.)
    xcb_kill_client(probe_->xcb(), cover);
    ASSERT_TRUE(probe_->sync());
    ASSERT_TRUE(waitUntil([&] { return covered(first) && covered(second); }))
        << tavrin_.readAllStandardError().toStdString();
    const double seconds = back.nsecsElapsed() / 1e9;
    std::printf("[ veils ] %s: covered again %.3f s after the kill\n", qPrintable(setUp()), seconds);
    RecordProperty("coveredAgainMs", int(seconds * 1000));
    EXPECT_EQ(leaks(screenshot(Rect(0, 0, 1720, 1000))), 0);
    std::vector<xcb_window_t> opened;
    EXPECT_EQ(watched(QStringLiteral("after the kill"),
                      [&] {
                          for (int i = 0; i < 3; ++i)
                              opened.push_back(startSecret(QStringLiteral("New %1").arg(i), {200.0 + 300 * i, 500}));
                      }),
              0);
    for (xcb_window_t w : opened)
        EXPECT_TRUE(w && covered(w));
    EXPECT_TRUE(tavrin_.readAllStandardError().contains("keeps private windows covered was lost"))
        << output_.toStdString();
}

// (g) With the window manager gone, windows are no longer framed: the one
// covered stays covered, a new one is covered before it shows, and moves
// made straight on the server show nothing.
TEST_F(X11Veils, WithoutAWindowManagerPrivateWindowsStayCovered)
{
    const xcb_window_t first = startSecret(QStringLiteral("Secret"), {120, 200});
    ASSERT_TRUE(first);
    ASSERT_TRUE(coverSecret(first)) << output_.toStdString();
    ASSERT_EQ(::kill(pid_t(session_->windowManagerPid()), SIGTERM), 0);
    EXPECT_TRUE(waitUntil([&] { return frameWindow(first) == first; }, 5.0)) << "openbox let the xterm go";
    const auto secrets = [this] {
        std::vector<xcb_window_t> out;
        auto* c = probe_->xcb();
        const auto cookie = xcb_query_tree(c, probe_->root());
        if (!probe_->sync())
            return out;
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, cookie, nullptr));
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t w = xcb_query_tree_children(tree.get())[i];
            if (titleOf(w).startsWith(QStringLiteral("Unmanaged")) && isViewable(w))
                out.push_back(w);
        }
        return out;
    };
    EXPECT_EQ(watched(QStringLiteral("unmanaged"),
                      [&] {
                          for (int i = 0; i < 3; ++i) {
                              auto xterm = XvfbSession::childProcess();
                              xterm->setProcessEnvironment(session_->environment());
                              xterm->start(QStringLiteral("xterm"),
                                           QStringList{QStringLiteral("-title"), QStringLiteral("Unmanaged %1").arg(i),
                                                       QStringLiteral("-geometry"),
                                                       QStringLiteral("60x16+%1+%2").arg(300 + 200 * i).arg(300)}
                                               + secretArguments());
                              programs_.push_back(std::move(xterm));
                              waitUntil([&] { return int(secrets().size()) == i + 1; }, 10.0);
                          }
                          for (int i = 0; i < 12; ++i) {
                              xdotool({QStringLiteral("windowmove"), QString::number(first),
                                       QString::number(100 + 70 * i), QString::number(100 + 30 * i)});
                              xdotool({QStringLiteral("windowsize"), QString::number(first),
                                       QString::number(300 + 40 * i), QString::number(200 + 20 * i)});
                              pause(0.05);
                          }
                      }),
              0);
    ASSERT_EQ(secrets().size(), 3u);
    for (xcb_window_t w : secrets())
        EXPECT_TRUE(covered(w));
    EXPECT_TRUE(covered(first));

    // A client that raises its own child above the cover, fifty times: the
    // cover goes back on top as soon as the server tells of it, but the
    // server shows the child from the raise until then, and nothing a
    // third client does can come between (see the count).
    X11TestClient* raising = startPrivate(QStringLiteral("Raising"), {300, 300, 400, 300},
                                          [](X11TestClient::Options& o) { o.child = true; });
    ASSERT_TRUE(raising);
    ASSERT_TRUE(waitUntil([&] { return covered(raising->window()); }, 5.0));
    watched(QStringLiteral("child raised"), [&] {
        raising->tell("raise");
        pause(1.5);
    });
    EXPECT_TRUE(covered(raising->window()));
}

// (h) Dozens of private and plain windows opening, closing, moving and
// resizing, with layouts, for 45 seconds: every private window on screen keeps
// its cover, no screenshot shows one, and the program's memory stays put; at
// the end a SIGTERM during a layout that cannot finish still ends it.
TEST_F(X11Veils, UnderLoadEveryPrivateWindowStaysCoveredAndMemoryStaysPut)
{
    const xcb_window_t first = startSecret(QStringLiteral("Secret 0"), {100, 100}, {50, 12});
    ASSERT_TRUE(first);
    ASSERT_TRUE(coverSecret(first)) << output_.toStdString();
    const auto rss = [this] {
        QFile status(QStringLiteral("/proc/%1/status").arg(tavrin_.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return 0.0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').front().toDouble() / 1024;
        return 0.0;
    };
    struct Term {
        xcb_window_t window = 0;
        bool secret = false;
        QProcess* process = nullptr;
    };
    std::vector<Term> terms{{first, true, programs_.back().get()}};
    QRandomGenerator random(2828);
    const auto open = [&](int n) {
        const bool secret = n % 2 == 0;
        const QString title = QStringLiteral("%1 %2").arg(secret ? "Secret" : "Plain").arg(n);
        const Point at{double(random.bounded(0, 1400)), double(random.bounded(0, 800))};
        const xcb_window_t w = secret ? startSecret(title, at, {50, 12}) : startPlain(title, at, {50, 12});
        if (w)
            terms.push_back({w, secret, programs_.back().get()});
    };
    for (int n = 1; n < 24; ++n)
        open(n);
    pause(1.0);
    const double startRss = rss();
    double mostRss = startRss;
    int uncovered = 0, checks = 0;
    const int leaking = watched(QStringLiteral("load"), [&] {
        const char* layouts[] = {"ctrl+alt+2", "ctrl+alt+6", "ctrl+alt+3", "ctrl+alt+5"};
        QElapsedTimer clock;
        clock.start();
        for (int round = 0; clock.elapsed() < 45000; ++round) {
            if (round % 10 == 9)
                xdotool({QStringLiteral("key"), QString::fromLatin1(layouts[(round / 10) % 4])});
            for (int i = 0; i < 4; ++i) {
                Term& t = terms[std::size_t(random.bounded(int(terms.size())))];
                if (random.bounded(2))
                    moveResize(t.window, Point{double(random.bounded(0, 1400)), double(random.bounded(0, 800))});
                else
                    moveResize(t.window, std::nullopt, QSize(random.bounded(200, 800), random.bounded(150, 600)));
            }
            if (round % 8 == 7 && terms.size() > 12) {
                const std::size_t i = 1 + std::size_t(random.bounded(int(terms.size()) - 1));
                terms[i].process->terminate();
                terms.erase(terms.begin() + std::ptrdiff_t(i));
                open(100 + round);
            }
            pause(0.05);
            for (const Term& t : terms) {
                if (!t.secret || !isViewable(t.window))
                    continue;
                ++checks;
                uncovered += !covered(t.window);
            }
            mostRss = std::max(mostRss, rss());
        }
    });
    EXPECT_EQ(leaking, 0);
    EXPECT_EQ(uncovered, 0) << "of " << checks << " checks of a private window on screen";
    if (!kSanitised) {
        EXPECT_LT(mostRss - startRss, 30.0) << "from " << startRss << " MB";
    }
    std::printf("[ veils ] load: %d checks of a private window, %d uncovered; RSS %.0f MB, at most %.0f MB\n", checks,
                uncovered, startRss, mostRss);

    // A SIGTERM in the middle of a layout whose moves the (frozen) window
    // manager never makes, each of which would be waited for in vain: the
    // program still ends within the harness's bound.
    ASSERT_TRUE(stopWindowManager());
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+2")});
    pause(1.0);
    EXPECT_TRUE(stopTavrin()) << "the program did not end after SIGTERM";
    continueWindowManager();
}

} // namespace
} // namespace tavrin
