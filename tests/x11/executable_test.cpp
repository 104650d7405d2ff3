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

    // Waits until the window manager has handled everything that came
    // before: it names a title set now (_NET_WM_VISIBLE_NAME) once it has,
    // as it handles events in order.
    bool settle(xcb_window_t window)
    {
        auto* c = probe_->xcb();
        const auto& e = *probe_->ewmh();
        probe_->selectInput(window, XCB_EVENT_MASK_PROPERTY_CHANGE);
        xcb_change_property(c, XCB_PROP_MODE_APPEND, window, e._NET_WM_NAME, e.UTF8_STRING, 8, 0, nullptr);
        return probe_->waitForEvent(
            [&](const xcb_generic_event_t& ev) {
                const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(ev);
                return (ev.response_type & 0x7f) == XCB_PROPERTY_NOTIFY && p.window == window
                       && p.atom == e._NET_WM_VISIBLE_NAME;
            },
            5.0);
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

namespace tavrin {
namespace {

// A Qt window (Static gravity: what it asks for is its client's corner)
// moved by the hot key, also after another program placed it its own way:
// each press acts, and the window stays where the press put it once the
// client and the window manager have handled all that followed.
TEST_F(X11ExecutableTest, HotKeysMoveAQtWindowAnotherProgramPlaced)
{
    Platform::install(platform_);
    X11TestClient* editor = startClient(qtClient(QStringLiteral("Editor"), {300, 200, 600, 400}));
    ASSERT_TRUE(editor);
    ASSERT_TRUE(startTavrin()) << output_.toStdString() << tavrin_.readAllStandardError().toStdString();
    ASSERT_TRUE(activate(editor->window()));
    const xcb_window_t w = editor->window();
    const Display left = Display::all().at(0);
    const double gap = 8;
    auto unitNow = [&] { return UnitRect::fromFrame(frameWindowGeometry(w), left.area); };
    auto next = [&](Arrow arrow, const std::optional<ArrowPress>& previous = std::nullopt) {
        const auto unit = nextUnit(arrow, unitNow(), left.aspect(), previous);
        return unit ? unit->rect(left.area, gap) : Rect();
    };

    const Rect right = next(Arrow::right);
    ASSERT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+Right"), w, right));
    ASSERT_TRUE(settle(w));
    EXPECT_EQ(frameWindowGeometry(w), right) << "moved after the press";

    // Another program puts the client's corner where the left half's frame
    // begins: the frame stands off by the decoration, and the window
    // manager keeps that corner in the window's gravity.
    const Rect leftHalf(gap, right.y, right.width, right.height);
    ASSERT_TRUE(xdotool(
        {QStringLiteral("windowmove"), QString::number(w), QString::number(leftHalf.x), QString::number(leftHalf.y)}));
    ASSERT_TRUE(waitUntil([&] { return frameWindowGeometry(w).x < right.x; }));
    ASSERT_TRUE(settle(w));
    ASSERT_EQ(next(Arrow::left), leftHalf);
    EXPECT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+Left"), w, leftHalf));
    ASSERT_TRUE(settle(w));
    EXPECT_EQ(frameWindowGeometry(w), leftHalf) << "moved after the press";

    // The next press acts too, whether or not it counts as following the last.
    const ArrowPress last{Arrow::left, unitNow()};
    const std::vector<Rect> after{next(Arrow::right), next(Arrow::right, last)};
    EXPECT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+Right")}));
    EXPECT_TRUE(waitUntil([&] { return std::find(after.begin(), after.end(), frameWindowGeometry(w)) != after.end(); }))
        << "the second press did not act";
    const Rect placed = frameWindowGeometry(w);
    ASSERT_TRUE(settle(w));
    EXPECT_EQ(frameWindowGeometry(w), placed) << "moved after the press";

    EXPECT_TRUE(stopTavrin()) << tavrin_.readAllStandardError().toStdString();
    Platform::uninstall();
}

} // namespace
} // namespace tavrin
