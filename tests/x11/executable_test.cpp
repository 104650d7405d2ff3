#include "programtest.h"
#include "windows/arrow.h"
#include "windows/display.h"
#include "windows/layoutkind.h"
#include "windows/unitrect.h"

namespace tavrin {
namespace {

// The built program managing the real desktop, driven only by key presses
// through the X server, as a user drives it.
class X11ExecutableTest : public X11ProgramTest {
protected:
    bool pressAndWait(const QString& keys, xcb_window_t window, const Rect& want)
    {
        EXPECT_TRUE(xdotool({QStringLiteral("key"), keys}));
        const bool reached = waitUntil([&] { return frameWindowGeometry(window) == want; }, 5.0);
        const Rect got = frameWindowGeometry(window);
        EXPECT_TRUE(reached) << keys.toStdString() << ": " << got.x << "," << got.y << " " << got.width << "x"
                             << got.height << " wanted " << want.x << "," << want.y << " " << want.width << "x"
                             << want.height;
        return reached;
    }
};

TEST_F(X11ExecutableTest, HotKeysOfTheRunningProgramMoveRealWindows)
{
    Platform::install(platform_);
    X11TestClient* editor = startClient(QStringLiteral("Editor"), {300, 200, 600, 400});
    X11TestClient* browser = startClient(QStringLiteral("Browser"), {500, 300, 600, 400});
    ASSERT_TRUE(editor && browser);
    ASSERT_TRUE(startTavrin()) << output_.toStdString() << tavrin_.readAllStandardError().toStdString();
    ASSERT_TRUE(activate(editor->window()));

    const Display left = Display::all().at(0);
    const double gap = 8;
    const auto step =
        nextUnit(Arrow::left, UnitRect::fromFrame(frameWindowGeometry(editor->window()), left.area), left.aspect());
    ASSERT_TRUE(step);
    EXPECT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+Left"), editor->window(), step->rect(left.area, gap)));

    // ⌃⌥2: halves, the focused window first.
    const auto zones = rects(LayoutKind::halves, 2, left.aspect());
    ASSERT_EQ(zones.size(), 2u);
    EXPECT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+2"), editor->window(), zones[0].rect(left.area, gap)));
    EXPECT_TRUE(waitUntil([&] { return frameWindowGeometry(browser->window()) == zones[1].rect(left.area, gap); }));

    EXPECT_TRUE(stopTavrin()) << tavrin_.readAllStandardError().toStdString();
    Platform::uninstall();
}

} // namespace
} // namespace tavrin
