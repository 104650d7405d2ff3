#include "shellfixture.h"

#include "platform/sim/simdesktopwindow.h"

#include <QTest>

namespace tavrin {
namespace {

using DesktopWindowTest = ShellTest;

TEST_F(DesktopWindowTest, KeysTypedIntoTheDesktopMoveTheFocusedWindow)
{
    auto state = makeState();
    state->startEngines();
    SimDesktopWindow window(env.desktop);
    const Rect before = focused().frame;
    QTest::keyClick(&window, Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
    env.clock.runDue();
    EXPECT_LT(focused().frame.x, before.x);
    EXPECT_EQ(focused().frame.x, env.desktop.visibleFrame(0).x + 8);

    QTest::keyClick(&window, Qt::Key_Space, Qt::AltModifier);
    env.clock.runDue();
    EXPECT_EQ(*bar, QStringList{QStringLiteral("show")});
}

TEST_F(DesktopWindowTest, TheMenuBarIconTakesItsClick)
{
    SimDesktopWindow window(env.desktop);
    window.resize(1280, 560);
    EXPECT_TRUE(window.menuBarExtraRect().isEmpty());
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::black);
    int clicks = 0;
    window.setMenuBarExtra(QIcon(pixmap), [&](const QRect&) { ++clicks; });
    const QRect icon = window.menuBarExtraRect();
    ASSERT_FALSE(icon.isEmpty());
    const auto front = env.desktop.frontmostPid();
    QTest::mouseClick(&window, Qt::LeftButton, {}, icon.center());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(env.desktop.frontmostPid(), front); // the desktop did not see it
    // The icon sits in the first display's menu bar, over its drawing.
    const QRectF bar = window.menuBarRect();
    EXPECT_TRUE(bar.contains(icon));
    const QRectF display = window.toWidget(env.desktop.displays().front().frame);
    EXPECT_GE(icon.left(), display.left());
    EXPECT_LE(icon.right(), display.right());
}

} // namespace
} // namespace tavrin
