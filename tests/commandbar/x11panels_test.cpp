// The arranged toast and the adjust overlay on a real X server with a window
// manager and no compositor, where translucent windows cannot blend: each
// must be cut to what it draws, and read well over a light desktop. The test
// runs itself again as a client of a private Xvfb with openbox (Qt picks its
// platform once per process); pictures of what shows go to
// artifacts/commandbar/.

#include "barfixture.h"
#include "commandbar/adjustview.h"
#include "design/environment.h"
#include "design/tglass.h"
#include "platform/x11/x11panelwindows.h"
#include "support/artifacts.h"
#include "support/x11/xvfbsession.h"

#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QtGui/qguiapplication_platform.h>
#include <cstring>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace tavrin {
namespace {

using namespace testing;

constexpr char kOnTheServer[] = "TAVRIN_PANELS_ON_X11";
// The desktop behind the panels: a light grey that the server paints itself.
const QColor kDesktop(0xd8, 0xde, 0xe6);

// Runs the tests named by `filter` again on a private X server with
// openbox, with a compositor when `compositor` is set, and the compositor's
// blur announced on the root window when `blur` is also set.
void runOnTheServer(const QString& filter, bool compositor, bool blur)
{
    XvfbSession::Options options;
    options.width = 1280;
    options.height = 800;
    options.monitors = {{QStringLiteral("MAIN"), Rect(0, 0, 1280, 800)}};
    QString error;
    bool noServer = false;
    const auto session = XvfbSession::start(&error, options, &noServer);
    if (!session && noServer)
        GTEST_SKIP() << "No X server for this test: " << error.toStdString();
    ASSERT_TRUE(session) << error.toStdString();

    if (compositor) {
        ASSERT_TRUE(session->startCompositor(&error)) << error.toStdString();
    }
    if (blur) {
        // What a compositor that blurs puts on the root window.
        QProcess xprop;
        xprop.setProcessEnvironment(session->environment());
        xprop.start(QStringLiteral("xprop"),
                    {QStringLiteral("-root"), QStringLiteral("-f"), QStringLiteral("_KDE_NET_WM_BLUR_BEHIND_REGION"),
                     QStringLiteral("32c"), QStringLiteral("-set"), QStringLiteral("_KDE_NET_WM_BLUR_BEHIND_REGION"),
                     QStringLiteral("0")});
        ASSERT_TRUE(xprop.waitForFinished(5000) && xprop.exitCode() == 0) << "xprop";
    }

    QProcess run;
    QProcessEnvironment environment = session->environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QString::fromLatin1(kOnTheServer), QStringLiteral("1"));
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + filter});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QByteArray output = run.readAll();
    EXPECT_EQ(run.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST(X11Panels, WithoutACompositorTheToastAndTheOverlayAreCutToTheirShape)
{
    if (qEnvironmentVariableIsSet(kOnTheServer))
        GTEST_SKIP() << "this is the run on the X server";
    runOnTheServer(QStringLiteral("X11PanelsOnTheServer.ToastAndOverlayShowOnlyWhatTheyDraw"), false, false);
}

TEST(X11Panels, APanelAsksForABlurBehindItsGlassOnlyWhereTheCompositorOffersOne)
{
    if (qEnvironmentVariableIsSet(kOnTheServer))
        GTEST_SKIP() << "this is the run on the X server";
    runOnTheServer(QStringLiteral("X11PanelsOnTheServer.TheToastGetsABlurBehindItsGlass"), true, true);
    runOnTheServer(QStringLiteral("X11PanelsOnTheServer.TheToastIsOpaqueWithoutAnOfferedBlur"), true, false);
}

class X11PanelsOnTheServer : public BarTest {
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet(kOnTheServer))
            GTEST_SKIP() << "runs inside X11Panels on a private X server";
        BarTest::SetUp();
        env.desktop.setDisplays({{QStringLiteral("Studio"), Rect(0, 0, 1280, 800), 1, 1, 0, 0}});
        env.desktop.appearance().setColorScheme(ColorScheme::light);
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        ASSERT_TRUE(x11);
        c = x11->connection();
        panelWindows = std::make_unique<X11PanelWindows>(c);
        Platform::current().panelWindows = panelWindows.get();
        showDesktop();
    }

    // An unmanaged window under everything, filled by the server: it never
    // waits for a client to repaint what a panel's cut uncovers.
    void showDesktop()
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const xcb_window_t desktop = xcb_generate_id(c);
        const std::uint32_t values[] = {kDesktop.rgb() & 0xffffff, 1};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, desktop, screen->root, 0, 0, 1280, 800, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(c, desktop);
        const std::uint32_t below[] = {XCB_STACK_MODE_BELOW};
        xcb_configure_window(c, desktop, XCB_CONFIG_WINDOW_STACK_MODE, below);
        xcb_flush(c);
    }

    // Runs the event loop in real time, for the server and the window
    // manager to do their part.
    void wait(double seconds)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < seconds * 1000) {
            settle();
            QThread::msleep(10);
        }
    }

    // What the server keeps of a window: its bounding shape.
    QRegion boundingShape(QWidget* window)
    {
        const auto cookie = xcb_shape_get_rectangles(c, xcb_window_t(window->winId()), XCB_SHAPE_SK_BOUNDING);
        xcb_shape_get_rectangles_reply_t* reply = xcb_shape_get_rectangles_reply(c, cookie, nullptr);
        QRegion region;
        if (reply) {
            const xcb_rectangle_t* r = xcb_shape_get_rectangles_rectangles(reply);
            for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply); ++i)
                region += QRect(r[i].x, r[i].y, r[i].width, r[i].height);
            std::free(reply);
        }
        return region;
    }

    // The screen as it shows under `area`, saved for a person to look at.
    QImage shoot(const QRect& area, const QString& name)
    {
        const QImage image =
            QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
        EXPECT_TRUE(
            image.save(QDir(Artifacts::folder(QStringLiteral("commandbar"))).filePath(name + QStringLiteral(".png"))));
        return image;
    }

    // The toast on a compositing desktop that may blur.
    QWidget* showToast()
    {
        env.desktop.appearance().setBlurAvailable(true);
        WorkspaceRunner::Outcome outcome;
        outcome.arranged = 2;
        bar.toast().show(outcome, std::nullopt, Display::all().front());
        wait(0.8);
        return bar.toast().panel();
    }

    // The rectangles of the window's request for a blur behind it.
    QRegion blurRequest(QWidget* window)
    {
        const char name[] = "_KDE_NET_WM_BLUR_BEHIND_REGION";
        auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof(name) - 1, name), nullptr);
        QRegion region;
        if (!atom)
            return region;
        auto* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, xcb_window_t(window->winId()), atom->atom, XCB_ATOM_CARDINAL, 0, 4096), nullptr);
        std::free(atom);
        if (reply) {
            const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            const int n = xcb_get_property_value_length(reply) / 4;
            for (int i = 0; i + 3 < n; i += 4)
                region += QRect(int(v[i]), int(v[i + 1]), int(v[i + 2]), int(v[i + 3]));
            std::free(reply);
        }
        return region;
    }

    // A window's 32-bit property `name` (cardinals or atoms).
    std::vector<std::uint32_t> property(QWidget* window, const char* name)
    {
        auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        std::vector<std::uint32_t> values;
        if (!atom)
            return values;
        auto* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, xcb_window_t(window->winId()), atom->atom, XCB_ATOM_ANY, 0, 1024), nullptr);
        if (reply && reply->format == 32) {
            const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            values.assign(v, v + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        std::free(atom);
        return values;
    }
    // On every workspace, as the window manager has it once the panel shows
    // (openbox keeps _NET_WM_STATE to the states it knows, without the
    // sticky one, which the xfwm4 tests see).
    void expectOnEveryWorkspace(QWidget* panel)
    {
        ASSERT_TRUE(panel);
        EXPECT_EQ(property(panel, "_NET_WM_DESKTOP"), std::vector<std::uint32_t>{0xFFFFFFFF});
    }

    xcb_connection_t* c = nullptr;
    std::unique_ptr<X11PanelWindows> panelWindows;
};

TEST_F(X11PanelsOnTheServer, ToastAndOverlayShowOnlyWhatTheyDraw)
{
    // The toast: its capsule, and the desktop all around it.
    WorkspaceRunner::Outcome outcome;
    outcome.arranged = 3;
    outcome.quit = {{QStringLiteral("Mail"), std::nullopt}};
    bar.toast().show(outcome, QStringLiteral("Deep work"), Display::all().front());
    wait(0.8);
    QWidget* toast = bar.toast().panel();
    ASSERT_TRUE(toast && toast->isVisible());
    expectOnEveryWorkspace(toast);
    EXPECT_EQ(bar.toast().opacity(), 1); // no fade where nothing blends
    const QRegion kept = boundingShape(toast);
    EXPECT_TRUE(kept.contains(toast->rect().center()));
    EXPECT_FALSE(kept.contains(QPoint(3, 3)));
    const QRect around = toast->geometry().adjusted(-20, -20, 20, 20) & QRect(0, 0, 1280, 800);
    const QImage toastShot = shoot(around, QStringLiteral("x11-toast-no-compositor"));
    const QPoint corner = toast->geometry().topLeft() - around.topLeft() + QPoint(3, 3);
    EXPECT_EQ(toastShot.pixelColor(corner).rgb(), kDesktop.rgb());
    const QPoint middle = toast->geometry().center() - around.topLeft();
    EXPECT_NE(toastShot.pixelColor(middle).rgb(), QColor(Qt::black).rgb());

    // The overlay: opaque zones with their labels, the bar and the hint;
    // the desktop in the gaps between the zones.
    previewOf([this] { return planFor(*model().capture(), {kEditor, kBrowser}, LayoutKind::halves); });
    advance(2);
    pressInField(Qt::Key_Tab);
    wait(0.8);
    AdjustView* overlay = bar.adjust().view();
    ASSERT_TRUE(overlay);
    QWidget* panel = bar.adjust().panel();
    expectOnEveryWorkspace(panel);
    const QRect screen = panel->geometry();
    const QImage shot = shoot(screen, QStringLiteral("x11-adjust-no-compositor"));
    const auto zones = overlay->zoneFrames();
    ASSERT_EQ(zones.size(), 2u);
    const QPoint inZone(int(zones[0].x + 40), int(zones[0].midY()));
    const QPoint inGap(int((zones[0].maxX() + zones[1].minX()) / 2), int(zones[0].midY()));
    const QRegion shape = boundingShape(panel);
    EXPECT_TRUE(shape.contains(inZone));
    EXPECT_FALSE(shape.contains(inGap));
    const QColor zone = shot.pixelColor(inZone);
    EXPECT_NE(zone.rgb(), kDesktop.rgb());
    EXPECT_NE(zone.rgb(), QColor(Qt::black).rgb());
    EXPECT_LT(zone.lightness(), 90); // white labels read on it
    EXPECT_EQ(shot.pixelColor(inGap).rgb(), kDesktop.rgb());
    EXPECT_TRUE(shape.contains(overlay->findChild<QWidget*>(QStringLiteral("adjustBar"))->geometry().center()));

    // The hint reads over the light desktop: white text on a dark rim.
    const QRect hint = overlay->findChild<QWidget*>(QStringLiteral("adjustHint"))->geometry();
    int light = 0, dark = 0;
    for (int y = hint.top(); y <= hint.bottom(); ++y)
        for (int x = hint.left(); x <= hint.right(); ++x) {
            const int grey = qGray(shot.pixel(x, y));
            light += grey > 160 && shot.pixel(x, y) != kDesktop.rgb();
            dark += grey < 80;
        }
    EXPECT_GT(light, 50);
    EXPECT_GT(dark, 100);
}

TEST_F(X11PanelsOnTheServer, TheToastGetsABlurBehindItsGlass)
{
    QWidget* toast = showToast();
    ASSERT_TRUE(toast && toast->isVisible());
    const QRegion asked = blurRequest(toast);
    EXPECT_TRUE(asked.contains(toast->rect().center()));
    EXPECT_FALSE(asked.contains(QPoint(3, 3))); // not behind the clear margin
    auto* glass = toast->findChild<TGlass*>();
    ASSERT_TRUE(glass);
    EXPECT_TRUE(Environment::blurBehind(glass));
    EXPECT_FALSE(glass->coversShapeOpaquely());
    EXPECT_TRUE(toast->mask().isEmpty()); // the compositor blends it: no cut
}

TEST_F(X11PanelsOnTheServer, TheToastIsOpaqueWithoutAnOfferedBlur)
{
    QWidget* toast = showToast();
    ASSERT_TRUE(toast && toast->isVisible());
    EXPECT_TRUE(blurRequest(toast).isEmpty());
    auto* glass = toast->findChild<TGlass*>();
    ASSERT_TRUE(glass);
    EXPECT_FALSE(Environment::blurBehind(glass));
    EXPECT_TRUE(glass->coversShapeOpaquely());
    EXPECT_TRUE(toast->mask().isEmpty());
}

} // namespace
} // namespace tavrin
