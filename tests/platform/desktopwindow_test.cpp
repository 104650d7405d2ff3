#include "platform/hotkeys.h"
#include "platform/sim/simdesktopwindow.h"
#include "platform/sim/simveilsurfaces.h"
#include "platform/workspace.h"
#include "support/simfixture.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPainter>
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
    EXPECT_EQ(window.lastKey(), QStringLiteral("Ctrl+Alt+←"));

    // Without the modifiers it is another key, and nobody's.
    QTest::keyClick(&window, Qt::Key_Left);
    env.clock.advance(0);
    EXPECT_EQ(pressed.size(), 1);
}

TEST_F(DesktopWindowTest, TheStatusLineNamesTheSettingsPageOpenedAsALinuxDesktopWould)
{
    const struct {
        QString address;
        QString said;
    } pages[] = {
        {Workspace::kDesktopSettingsPage, "Settings opened: windows and edge tiling"},
        {Workspace::kOnlineAccountsPage, "Settings opened: online accounts"},
        {"com.apple.preference.security?" + Workspace::kAccessibilitySettingsQuery, "Settings opened: accessibility"},
    };
    for (const auto& page : pages) {
        ASSERT_TRUE(env.desktop.workspace().openUrl(QUrl(Workspace::kSettingsScheme + ':' + page.address)));
        EXPECT_TRUE(window.statusLine().contains(page.said)) << window.statusLine().toStdString();
        EXPECT_FALSE(window.statusLine().contains("com.apple")) << window.statusLine().toStdString();
    }
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

TEST_F(DesktopWindowTest, ASurfaceIsDrawnWhereItStandsAmongTheWindows)
{
    // A surface whose content is plain red, over the front-most window.
    struct Red : QWidget {
        void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::red); }
    } content;
    const SimWindow& front = *env.desktop.onScreenWindows().front();
    auto surface = env.desktop.veilSurfaces().make(content, 0);
    surface->setFrame(front.frame);
    surface->orderFront();
    const QPoint middle = window.toWidget(Point{front.frame.midX(), front.frame.midY()}).toPoint();
    EXPECT_EQ(window.grab().toImage().pixelColor(middle), QColor(Qt::red));
    QDir().mkpath(QStringLiteral("artifacts"));
    window.grab().save(QStringLiteral("artifacts/simulated-desktop-surface.png"));
    surface->orderOut();
    EXPECT_NE(window.grab().toImage().pixelColor(middle), QColor(Qt::red));
}

TEST_F(DesktopWindowTest, TheMenuBarIsAsTallAsItsLabelAndNothingCoversIt)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    window.setMenuBarExtra(QIcon(pixmap), [](const QRect&) {});
    for (const QSize size : {QSize(1400, 600), QSize(720, 360), QSize(1920, 1000)}) {
        window.resize(size);
        const QRectF bar = window.menuBarRect();
        ASSERT_FALSE(bar.isEmpty());
        // The label fits, and the icon lies wholly inside the bar.
        EXPECT_GE(bar.height(), QFontMetricsF(window.menuBarFont()).height());
        EXPECT_TRUE(bar.contains(QRectF(window.menuBarExtraRect())));
        EXPECT_GE(bar.top(), 0);
        // It ends where the display's visible area begins: no window reaches
        // into it.
        const Rect visible = env.desktop.visibleFrame(0);
        EXPECT_NEAR(bar.bottom(), window.toWidget(Point{visible.x, visible.y}).y(), 0.01);
        for (const SimWindow* w : env.desktop.onScreenWindows())
            EXPECT_GE(window.toWidget(w->frame).top(), bar.bottom() - 0.01) << w->title.toStdString();
    }
    // Its icon shows: red where the icon is drawn.
    const QImage shot = window.grab().toImage();
    const QPoint centre = window.menuBarExtraRect().center();
    EXPECT_EQ(shot.pixelColor(centre), QColor(Qt::red));
}

// On a 3440 × 1440 screen the window opened at 1280 × 560, its labels 9
// pixels high and the Dock's names cut: it opens on most of the screen, in
// the displays' proportions, and its labels grow with the drawing.
TEST_F(DesktopWindowTest, OpensOnMostOfTheScreenInTheDisplaysProportions)
{
    const QSize available(3440, 1400);
    const QSize size = window.openingSize(available);
    EXPECT_LE(size.width(), available.width());
    EXPECT_LE(size.height(), available.height());
    EXPECT_GE(std::max(size.width() / 3440.0, size.height() / 1400.0), 0.85);
    window.resize(size);
    // The displays fill the room between the menu bar and the status line.
    const QRectF drawn = window.toWidget(Rect{0, 0, 5168, 1440});
    EXPECT_GE(drawn.width(), size.width() - 40);
    EXPECT_GE(window.labelPixels(), 11);
    QFont label = window.font();
    label.setPixelSize(window.labelPixels());
    // Each name of the Dock fits its slot, on two lines at most.
    const QStringList dock = env.desktop.dockItems();
    const QRectF drawnDock = window.toWidget(*env.desktop.dockFrame(0));
    const QRectF slot(0, 0, drawnDock.width() / double(dock.size()) - 4, drawnDock.height());
    for (const QString& name : dock) {
        const QRectF needed = QFontMetricsF(label).boundingRect(slot, Qt::AlignCenter | Qt::TextWordWrap, name);
        EXPECT_LE(needed.width(), slot.width()) << name.toStdString();
        EXPECT_LE(needed.height(), std::min(slot.height(), 2.5 * QFontMetricsF(label).height())) << name.toStdString();
    }
    // A small screen: never below the minimum.
    const QSize small = window.openingSize(QSize(640, 400));
    EXPECT_GE(small.width(), 720);
    EXPECT_GE(small.height(), 360);
}
