#include "platform/accessibility.h"
#include "programtest.h"

namespace tavrin {
namespace {

// The built program's first-run window on a real X server and window
// manager, with the pointer on the right-hand half of a 3440 × 1440 screen.
class X11FirstRunTest : public X11ProgramTest {
protected:
    // The window manager's frame of the first-run window once it has stayed
    // put for a second and a half (a resize that reaches the window manager
    // while it places the window can still move it); empty when the window
    // never showed.
    Rect firstRunFrame()
    {
        Platform::install(platform_);
        EXPECT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("2600"), QStringLiteral("700")}));
        if (!startTavrin(QStringLiteral("xcb"), {}, true)) {
            ADD_FAILURE() << output_.toStdString();
            return {};
        }
        const int pid = int(tavrin_.processId());
        AXElement welcome;
        waitUntil(
            [&] {
                const auto windows = ax().attribute(ax().applicationElement(pid), ax::Windows)
                                         .as<std::vector<AXElement>>()
                                         .value_or(std::vector<AXElement>{});
                for (const AXElement& w : windows)
                    if (ax().attribute(w, ax::Title).as<QString>() == QStringLiteral("Welcome to Tavrin"))
                        welcome = w;
                return welcome.isValid();
            },
            10.0);
        if (!welcome.isValid()) {
            ADD_FAILURE() << "the first-run window did not show";
            return {};
        }
        Rect frame;
        double since = X11Connection::steadyNow();
        waitUntil(
            [&] {
                const Rect now = frameWindowGeometry(xcb_window_t(welcome.token));
                if (now != frame) {
                    frame = now;
                    since = X11Connection::steadyNow();
                }
                return X11Connection::steadyNow() - since >= 1.5;
            },
            5.0);
        // Its three steps as the X server shows them, for a person to read.
        saveScreenshot(QStringLiteral("x11-first-run-%1.png")
                           .arg(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name())),
                       frame);
        EXPECT_TRUE(stopTavrin());
        Platform::uninstall();
        return frame;
    }

    void expectCentredIn(const Rect& frame, const Rect& area)
    {
        SCOPED_TRACE(testing::Message() << "frame " << frame.x << "," << frame.y << " " << frame.width << "x"
                                        << frame.height);
        EXPECT_EQ(area.intersected(frame), frame); // title bar included
        EXPECT_NEAR(frame.midX(), area.midX(), 2);
        EXPECT_NEAR(frame.midY(), area.midY(), 30); // the title bar may push it down
    }
};

TEST_F(X11FirstRunTest, OpensCentredOnTheMonitorUnderThePointer)
{
    // The default session: two monitors, LEFT (primary) and RIGHT.
    expectCentredIn(firstRunFrame(), Rect(1720, 0, 1720, 1440));
}

// One wide X screen that names no monitors.
class X11FirstRunOnOneScreenTest : public X11FirstRunTest {
protected:
    XvfbSession::Options sessionOptions() const override
    {
        XvfbSession::Options o;
        o.monitors.clear();
        return o;
    }
};

TEST_F(X11FirstRunOnOneScreenTest, OpensCentredWithItsTitleBarOnTheScreen)
{
    expectCentredIn(firstRunFrame(), Rect(0, 0, 3440, 1440));
}

} // namespace
} // namespace tavrin
