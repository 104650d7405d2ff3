#include "platform/x11/x11screens.h"
#include "support/x11/x11fixture.h"

#include <QSignalSpy>

namespace tavrin {
namespace {

using X11ScreensTest = X11Test;

TEST_F(X11ScreensTest, MonitorsInTheServersOrder)
{
    const auto screens = platform_.screens->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].localizedName, QStringLiteral("LEFT"));
    EXPECT_EQ(screens[0].frame, Rect(0, 0, 1720, 1440));
    EXPECT_EQ(screens[0].visibleFrame, Rect(0, 0, 1720, 1440));
    EXPECT_EQ(screens[0].pixelWidth, 1720);
    EXPECT_EQ(screens[0].pixelHeight, 1440);
    EXPECT_EQ(screens[0].serialNumber, 0u); // Xvfb's output has no EDID
    EXPECT_EQ(screens[1].localizedName, QStringLiteral("RIGHT"));
    EXPECT_EQ(screens[1].frame, Rect(1720, 0, 1720, 1440));
    EXPECT_NE(screens[0].displayNumber, screens[1].displayNumber);
}

TEST_F(X11ScreensTest, PanelsTakeTheirEdgeOfTheirMonitorOnly)
{
    QSignalSpy changed(platform_.screens, &Screens::screensChanged);
    ASSERT_EQ(platform_.screens->screens().size(), 2u);
    // A top panel across the left monitor, and a bottom panel on the right one.
    ASSERT_TRUE(
        startClient(dock(QStringLiteral("Top panel"), {0, 0, 1720, 30}, {0, 0, 30, 0, 0, 0, 0, 0, 0, 1719, 0, 0}))
        && startClient(
            dock(QStringLiteral("Bottom panel"), {1720, 1400, 1720, 40}, {0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 1720, 3439})));
    ASSERT_TRUE(
        waitUntil([&] { return changed.count() > 0 && platform_.screens->screens()[1].visibleFrame.height < 1440; }));
    const auto screens = platform_.screens->screens();
    EXPECT_EQ(screens[0].visibleFrame, Rect(0, 30, 1720, 1410));
    EXPECT_EQ(screens[1].visibleFrame, Rect(1720, 0, 1720, 1400));
}

// Struts are kept per window (a window coming or going reads no other's):
// a panel's changed strut and its leaving still show in the area.
TEST_F(X11ScreensTest, APanelsChangedStrutAndItsLeavingShow)
{
    ASSERT_EQ(platform_.screens->screens().size(), 2u);
    X11TestClient* panel =
        startClient(dock(QStringLiteral("Top panel"), {0, 0, 1720, 30}, {0, 0, 30, 0, 0, 0, 0, 0, 0, 1719, 0, 0}));
    ASSERT_TRUE(panel && startClient(QStringLiteral("Plain"), {800, 300, 400, 300}));
    auto left = [&] { return platform_.screens->screens()[0].visibleFrame; };
    const struct {
        const char* change;
        std::function<void()> make;
        Rect area;
    } cases[] = {
        {"a panel came", [] {}, Rect(0, 30, 1720, 1410)},
        {"it grew",
         [&] {
             const std::uint32_t strut[12] = {0, 0, 50, 0, 0, 0, 0, 0, 0, 1719, 0, 0};
             xcb_change_property(probe_->xcb(), XCB_PROP_MODE_REPLACE, panel->window(),
                                 probe_->ewmh()->_NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 32, 12, strut);
             probe_->flush();
         },
         Rect(0, 50, 1720, 1390)},
        {"it left", [&] { clients_.erase(clients_.begin()); }, Rect(0, 0, 1720, 1440)},
    };
    for (const auto& c : cases) {
        c.make();
        EXPECT_TRUE(waitUntil([&] { return left() == c.area; })) << c.change;
    }
}

TEST_F(X11ScreensTest, ChangedMonitorsAreAnnounced)
{
    QSignalSpy changed(platform_.screens, &Screens::screensChanged);
    ASSERT_EQ(platform_.screens->screens().size(), 2u);
    QString error;
    ASSERT_TRUE(session_->setMonitors({{QStringLiteral("WIDE"), Rect(0, 0, 3440, 1440)}}, &error))
        << error.toStdString();
    ASSERT_TRUE(waitUntil([&] { return changed.count() > 0 && platform_.screens->screens().size() == 1; }));
    EXPECT_EQ(platform_.screens->screens()[0].localizedName, QStringLiteral("WIDE"));
}

TEST(X11ScreensArea, StrutsCountOnTheMonitorOfTheirInnerEdge)
{
    const Size root{3440, 1440};
    const Rect left(0, 0, 1720, 1440), right(1720, 0, 1720, 1440);
    // A panel along the inner edge of the right monitor reserves from the
    // root's left edge; the left monitor keeps all of its area.
    X11Strut inner;
    inner.left = 1760;
    inner.leftEndY = 1439;
    EXPECT_EQ(X11Screens::visibleArea(left, {inner}, root), left);
    EXPECT_EQ(X11Screens::visibleArea(right, {inner}, root), Rect(1760, 0, 1680, 1440));
    // A right panel covering only the top half of the right edge.
    X11Strut half;
    half.right = 50;
    half.rightStartY = 0;
    half.rightEndY = 719;
    EXPECT_EQ(X11Screens::visibleArea(right, {half}, root), Rect(1720, 0, 1670, 1440));
    EXPECT_EQ(X11Screens::visibleArea(left, {half}, root), left);
    // A strut that would leave nothing is ignored.
    X11Strut all;
    all.top = 1440;
    all.topEndX = 3439;
    EXPECT_EQ(X11Screens::visibleArea(left, {all}, root), left);
}

TEST(X11ScreensArea, OldStrutsSpanTheWholeEdge)
{
    const auto s = X11Strut::fromValues({0, 0, 24, 0}, {3440, 1440});
    ASSERT_TRUE(s);
    EXPECT_EQ(X11Screens::visibleArea({1720, 0, 1720, 1440}, {*s}, {3440, 1440}), Rect(1720, 24, 1720, 1416));
    EXPECT_FALSE(X11Strut::fromValues({0, 0, 0, 0}, {3440, 1440}));
    EXPECT_FALSE(X11Strut::fromValues({1, 2}, {3440, 1440}));
}

TEST(X11ScreensArea, SerialNumberAndNameFromEdid)
{
    QByteArray edid(128, '\0');
    const char header[] = "\x00\xff\xff\xff\xff\xff\xff\x00";
    edid.replace(0, 8, QByteArray(header, 8));
    edid[12] = char(0x78);
    edid[13] = char(0x56);
    edid[14] = char(0x34);
    edid[15] = char(0x12);
    EXPECT_EQ(X11Screens::edidSerial(edid), 0x12345678u);
    EXPECT_EQ(X11Screens::edidSerial(edid.left(10)), 0u);

    // The monitor name: the display descriptor 0xFC, ended by a line feed.
    EXPECT_EQ(X11Screens::edidName(edid), QString());
    const char name[] = "\x00\x00\x00\xfc\x00"
                        "DELL U2720Q\n ";
    edid.replace(72, 18, QByteArray(name, 18));
    EXPECT_EQ(X11Screens::edidName(edid), "DELL U2720Q");
    edid[1] = 0;
    EXPECT_EQ(X11Screens::edidSerial(edid), 0u);
    EXPECT_EQ(X11Screens::edidName(edid), QString());
}

TEST_F(X11ScreensTest, TheRefreshRateIsThatOfTheModeShown)
{
    // Xvfb shows one mode at 60 Hz or so.
    EXPECT_NEAR(platform_.screens->refreshRate(), 60, 5);
}

} // namespace
} // namespace tavrin
