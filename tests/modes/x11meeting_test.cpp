// Meeting mode on a real X11 desktop (a private Xvfb with openbox), on real
// time; only the microphone is the test's.

#include "modes/meetingmode.h"
#include "platform/microphone.h"
#include "support/workspacefakes.h"
#include "support/x11/x11fixture.h"
#include "windows/display.h"
#include "windows/unitrect.h"
#include "windows/windowmanager.h"

#include <atomic>

namespace tavrin {
namespace {

// A microphone the test switches on and off.
struct SwitchedMicrophone final : Microphone {
    std::atomic<bool> on{false};
    bool inUse() const override { return on.load(); }
};

class X11MeetingMode : public X11Test {
protected:
    void SetUp() override
    {
        X11Test::SetUp();
        platform_.microphone = &microphone;
        Platform::install(platform_);
    }
    void TearDown() override
    {
        Platform::uninstall();
        X11Test::TearDown();
    }

    SwitchedMicrophone microphone;
};

TEST_F(X11MeetingMode, TheCallMovesUnderTheTopMiddleOfItsMonitorAndBack)
{
    // Zoom as its Linux package shows a meeting: window class "zoom".
    X11TestClient* call = startClient(ofClass(QStringLiteral("Zoom Meeting"), QStringLiteral("zoom")));
    ASSERT_TRUE(call);
    const Rect before = frameWindowGeometry(call->window());
    const Display left = Display::all().at(0);
    const Rect placed = UnitRect(0.25, 0, 0.5, 0.62).rect(left.area, 8);

    WindowManager windows;
    FakeAutoArrange autoArrange;
    MeetingMode mode(windows, autoArrange, Platform::current());
    mode.start();
    microphone.on = true;
    // Placed at the first check more than 2 seconds on: the fourth.
    EXPECT_TRUE(waitUntil([&] { return frameWindowGeometry(call->window()) == placed; }, 8.0))
        << "the call stands at " << frameWindowGeometry(call->window()).x << ","
        << frameWindowGeometry(call->window()).y;
    EXPECT_TRUE(mode.inCall());

    microphone.on = false;
    EXPECT_TRUE(waitUntil([&] { return frameWindowGeometry(call->window()) == before; }, 4.0));
    EXPECT_FALSE(mode.inCall());
}

} // namespace
} // namespace tavrin
