#include "platform/hotkeys.h"
#include "platform/sim/simdesktopwindow.h"
#include "support/simfixture.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace tavrin;

namespace {

class DesktopWindowTest : public SimTest {
protected:
    void SetUp() override
    {
        window.resize(1400, 600);
        window.show();
    }
    SimDesktopWindow window{env.desktop};
};

TEST_F(DesktopWindowTest, KeysTypedIntoTheWindowArePressedOnTheDesktop)
{
    auto& hotKeys = *Platform::current().hotKeys;
    ASSERT_EQ(hotKeys.registerHotKey(HotKeys::kSignature, 7, 123, modifier::control | modifier::option), 0);
    QSignalSpy pressed(&hotKeys, &HotKeys::pressed);

    QTest::keyClick(&window, Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
    env.clock.advance(0);
    ASSERT_EQ(pressed.size(), 1);
    EXPECT_EQ(pressed[0][1].toUInt(), 7u);
    EXPECT_EQ(window.lastKey(), QStringLiteral("⌃⌥←"));

    // Without the modifiers it is another key, and nobody's.
    QTest::keyClick(&window, Qt::Key_Left);
    env.clock.advance(0);
    EXPECT_EQ(pressed.size(), 1);
}

TEST_F(DesktopWindowTest, ModifierKeysReachTheGlobalMonitors)
{
    // As X11 reports them: a modifier key's own event carries the state from
    // before it.
    auto send = [&](QEvent::Type type, int key, Qt::KeyboardModifiers before) {
        QKeyEvent event(type, key, before);
        QApplication::sendEvent(&window, &event);
    };
    send(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    send(QEvent::KeyPress, Qt::Key_Alt, Qt::ControlModifier);
    EXPECT_EQ(env.desktop.modifierFlags(), modflag::control | modflag::option);
    send(QEvent::KeyRelease, Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(env.desktop.modifierFlags(), modflag::control);
    send(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(env.desktop.modifierFlags(), 0u);
}

TEST_F(DesktopWindowTest, ScreenAndWidgetCoordinatesRoundTrip)
{
    const Point p{1720.5, 700.25};
    const Point back = window.toScreen(window.toWidget(p));
    EXPECT_NEAR(back.x, p.x, 1e-9);
    EXPECT_NEAR(back.y, p.y, 1e-9);
    // Every display lies inside the widget.
    for (const auto& d : env.desktop.displays())
        EXPECT_TRUE(QRectF(window.rect()).contains(window.toWidget(d.frame))) << d.name.toStdString();
}

TEST_F(DesktopWindowTest, AClickBringsAWindowForwardAndADragOnItsTitleMovesIt)
{
    // The back-most window that is on screen.
    const auto onScreen = env.desktop.onScreenWindows();
    ASSERT_GE(onScreen.size(), 2u);
    const SimWindow* back = onScreen.back();
    const std::uint64_t token = back->token;
    const Rect before = back->frame;

    // A visible point of it: its title bar is covered by nothing in front only
    // sometimes, so press where the desktop says it is the front-most window.
    std::optional<Point> spot;
    for (double x = before.minX() + 4; x < before.maxX() - 4 && !spot; x += 8) {
        const Point candidate{x, before.minY() + 6};
        const SimWindow* hit = env.desktop.windowAt(candidate);
        if (hit && hit->token == token)
            spot = candidate;
    }
    if (!spot)
        GTEST_SKIP() << "the back window's title bar is covered in this scenario";

    const QPoint at = window.toWidget(*spot).toPoint();
    QTest::mousePress(&window, Qt::LeftButton, {}, at);
    EXPECT_EQ(env.desktop.onScreenWindows().front()->token, token);
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(40, 20)), window.mapToGlobal(QPointF(at + QPoint(40, 20))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &move);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, at + QPoint(40, 20));
    const Rect after = env.desktop.window(token)->frame;
    EXPECT_GT(after.x, before.x);
    EXPECT_GT(after.y, before.y);
    EXPECT_EQ(after.size(), before.size());
}

} // namespace

namespace {
// Not a check: a picture of the default desktop for people to look at.
TEST_F(DesktopWindowTest, WritesAScreenshotArtefact)
{
    QDir().mkpath(QStringLiteral("artifacts"));
    EXPECT_TRUE(window.grab().save(QStringLiteral("artifacts/simulated-desktop.png")));
}
} // namespace
