#include "platform/eventmonitors.h"
#include "platform/hotkeys.h"
#include "platform/x11/x11eventmonitors.h"
#include "support/x11/x11fixture.h"

#include <QProcess>
#include <QSignalSpy>

namespace tavrin {
namespace {

class X11EventMonitorsTest : public X11Test {
protected:
    EventMonitors& monitors() { return *platform_.eventMonitors; }
};

TEST_F(X11EventMonitorsTest, ModifierChangesOfTheWholeDesktop)
{
    QSignalSpy spy(&monitors(), &EventMonitors::globalModifierFlagsChanged);
    auto last = [&] { return spy.isEmpty() ? ~0ull : spy.last().at(0).value<std::uint64_t>(); };
    ASSERT_TRUE(xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl")}));
    EXPECT_TRUE(waitUntil([&] { return last() == modflag::control; }));
    ASSERT_TRUE(xdotool({QStringLiteral("keydown"), QStringLiteral("alt")}));
    EXPECT_TRUE(waitUntil([&] { return last() == (modflag::control | modflag::option); }));
    EXPECT_EQ(monitors().currentModifierFlags(), modflag::control | modflag::option);
    ASSERT_TRUE(xdotool(
        {QStringLiteral("keydown"), QStringLiteral("shift"), QStringLiteral("keydown"), QStringLiteral("super")}));
    EXPECT_TRUE(
        waitUntil([&] { return last() == (modflag::control | modflag::option | modflag::shift | modflag::command); }));
    ASSERT_TRUE(
        xdotool({QStringLiteral("keyup"), QStringLiteral("shift"), QStringLiteral("keyup"), QStringLiteral("super"),
                 QStringLiteral("keyup"), QStringLiteral("ctrl"), QStringLiteral("keyup"), QStringLiteral("alt")}));
    EXPECT_TRUE(waitUntil([&] { return last() == 0; }));
    EXPECT_EQ(monitors().currentModifierFlags(), 0u);
    // Other keys are no modifier changes, and typed in other programs they
    // do not even wake this one.
    const auto before = spy.count();
    int heard = 0;
    QObject listener;
    desktop_->connection().addEventHandler(&listener, [&](const xcb_generic_event_t&) { ++heard; });
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("a")}));
    waitUntil([] { return false; }, 0.1);
    EXPECT_EQ(spy.count(), before);
    EXPECT_EQ(heard, 0);
}

TEST_F(X11EventMonitorsTest, LeftButtonPressesAndThePressedButtons)
{
    QSignalSpy down(&monitors(), &EventMonitors::globalLeftMouseDown);
    QSignalSpy up(&monitors(), &EventMonitors::globalLeftMouseUp);
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("500"), QStringLiteral("600"),
                         QStringLiteral("mousedown"), QStringLiteral("1")}));
    ASSERT_TRUE(waitUntil([&] { return down.count() == 1; }));
    EXPECT_EQ(down.first().at(0).value<Point>(), (Point{500, 600}));
    EXPECT_EQ(monitors().pressedMouseButtons(), 1u);
    EXPECT_EQ(monitors().mouseLocation(), (Point{500, 600}));
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("650"),
                         QStringLiteral("mouseup"), QStringLiteral("1")}));
    ASSERT_TRUE(waitUntil([&] { return up.count() == 1; }));
    EXPECT_EQ(up.first().at(0).value<Point>(), (Point{700, 650}));
    EXPECT_EQ(monitors().pressedMouseButtons(), 0u);

    // The right button is seen as pressed but is not a left press.
    ASSERT_TRUE(xdotool({QStringLiteral("mousedown"), QStringLiteral("3")}));
    EXPECT_TRUE(waitUntil([&] { return monitors().pressedMouseButtons() == 2u; }));
    ASSERT_TRUE(xdotool({QStringLiteral("mouseup"), QStringLiteral("3")}));
    waitUntil([] { return false; }, 0.1);
    EXPECT_EQ(down.count(), 1);
}

TEST_F(X11EventMonitorsTest, ModifiersLetGoWhileAHotKeyIsHeldAreSeen)
{
    // The hot key's grab takes the keyboard from the moment its key goes
    // down; the modifiers come up before it does.
    ASSERT_EQ(platform_.hotKeys->registerHotKey(HotKeys::kSignature, 1, 123, modifier::control | modifier::option),
              HotKeys::kStatusNoError);
    QSignalSpy spy(&monitors(), &EventMonitors::globalModifierFlagsChanged);
    QSignalSpy pressed(platform_.hotKeys, &HotKeys::pressed);
    // Pressed and let go key by key, with the event loop running between.
    QProcess keys;
    keys.setProcessEnvironment(session_->environment());
    keys.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"),
                                           QStringLiteral("ctrl+alt+Left")});
    EXPECT_TRUE(waitUntil([&] { return keys.state() == QProcess::NotRunning; }));
    EXPECT_TRUE(waitUntil([&] { return !spy.isEmpty() && spy.last().at(0).value<std::uint64_t>() == 0; }));
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(spy.at(std::min<qsizetype>(1, spy.size() - 1)).at(0).value<std::uint64_t>(),
              modflag::control | modflag::option);
}

} // namespace
} // namespace tavrin
