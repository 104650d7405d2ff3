#include "platform/windowserver.h"
#include "platform/x11/x11windowserver.h"
#include "support/x11/x11fixture.h"

namespace tavrin {
namespace {

using X11WindowServerTest = X11Test;

TEST_F(X11WindowServerTest, OnScreenListIsFrontToBackWithoutMinimisedWindows)
{
    X11TestClient* a = startClient(QStringLiteral("A"), {100, 100, 400, 300});
    X11TestClient* b = startClient(QStringLiteral("B"), {700, 100, 400, 300});
    X11TestClient* c = startClient(QStringLiteral("C"), {1800, 100, 400, 300});
    ASSERT_TRUE(a && b && c);
    ASSERT_TRUE(activate(b->window()));
    ASSERT_TRUE(activate(a->window()));
    ASSERT_EQ(ax().setAttribute(element(c), ax::Minimized, true), AXError::success);

    const auto list = platform_.windowServer->onScreenWindows();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].number, a->window());
    EXPECT_EQ(list[1].number, b->window());
    for (const WindowInfo& w : list) {
        EXPECT_EQ(w.layer, 0);
        EXPECT_EQ(w.alpha, 1.0);
        EXPECT_EQ(w.ownerName, QStringLiteral("TavrinTest"));
        EXPECT_EQ(w.bounds, frameWindowGeometry(w.number));
        EXPECT_EQ(platform_.windowServer->windowBounds(w.number), w.bounds);
    }
    EXPECT_EQ(list[0].ownerPid, a->pid());
    EXPECT_EQ(list[1].ownerPid, b->pid());
    EXPECT_FALSE(platform_.windowServer->windowBounds(0x7fffff));
}

TEST_F(X11WindowServerTest, PanelsListedAboveNormalWindows)
{
    X11TestClient* panel = startClient(dock(QStringLiteral("Panel"), {0, 0, 1720, 30}));
    ASSERT_TRUE(panel);
    const auto list = platform_.windowServer->onScreenWindows();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].layer, X11WindowServer::kDockLayer);
}

} // namespace
} // namespace tavrin
