// The menu-bar window of the running program on a real desktop: it takes the
// focus but leaves the keyboard to everyone, and closes as soon as another
// window becomes active or on Escape.
#include "programtest.h"
#include "support/privatebus.h"
#include "windows/display.h"
#include "windows/layoutkind.h"

#include <xcb/xcb.h>

namespace tavrin {
namespace {

class X11MenuBarWindowTest : public X11ProgramTest {
protected:
    void SetUp() override
    {
        X11ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (bus_.address().isEmpty())
            GTEST_SKIP() << bus_.problem().toStdString();
        programEnvironment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus_.address());
    }

    // Opens it as a second start does, and waits until it is the active
    // window; false when it did not come up.
    bool openMenuBarWindow()
    {
        QProcess second;
        second.setProcessEnvironment(environmentFor(QStringLiteral("xcb")));
        second.start(QStringLiteral(TAVRIN_BINARY), {});
        EXPECT_TRUE(second.waitForFinished(int(XvfbSession::kWaitSeconds * 1000)));
        return waitUntil([&] {
            const xcb_window_t w = menuBarWindow();
            return w && activeWindow() == w;
        });
    }

    // Whether another client may take the whole keyboard now.
    bool keyboardFree()
    {
        auto cookie = xcb_grab_keyboard(probe_->xcb(), 0, probe_->root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                                        XCB_GRAB_MODE_ASYNC);
        XcbReply<xcb_grab_keyboard_reply_t> reply(xcb_grab_keyboard_reply(probe_->xcb(), cookie, nullptr));
        xcb_ungrab_keyboard(probe_->xcb(), XCB_CURRENT_TIME);
        probe_->flush();
        return reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    }

    // Opens it, checks that another client can grab the keyboard and that a
    // hot key arranges windows, then closes it by activating another window
    // and with Escape.
    void openUseAndLeave()
    {
        Platform::install(platform_);
        X11TestClient* editor = startClient(qtClient(QStringLiteral("Editor"), {300, 200, 600, 400}));
        X11TestClient* browser = startClient(qtClient(QStringLiteral("Browser"), {500, 300, 600, 400}));
        ASSERT_TRUE(editor && browser);
        ASSERT_TRUE(startTavrin(QStringLiteral("xcb"))) << output_.toStdString();
        ASSERT_TRUE(activate(editor->window()));

        ASSERT_TRUE(openMenuBarWindow()) << "the menu-bar window did not become the active window";
        saveScreenshot(QStringLiteral("x11-menubar-window-%1.png").arg(sessionOptions().windowManagerProgram));
        EXPECT_TRUE(keyboardFree()) << "something holds the keyboard while the menu-bar window is open";

        // Its own caption's key works meanwhile, on the display the user
        // worked on: halves, the editor (active last) first.
        const Display left = Display::all().at(0);
        const auto zones = rects(LayoutKind::halves, 2, left.aspect());
        ASSERT_EQ(zones.size(), 2u);
        ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+2")}));
        EXPECT_TRUE(waitUntil([&] { return frameWindowGeometry(editor->window()) == zones[0].rect(left.area, 8); }))
            << "the hot key did not arrange the windows while the menu-bar window was open";

        // Another window becoming active closes it.
        if (!menuBarWindow()) {
            ASSERT_TRUE(openMenuBarWindow());
        }
        ASSERT_TRUE(activate(browser->window()));
        EXPECT_TRUE(waitUntil([&] { return menuBarWindow() == 0; })) << "still open beside the active browser";

        // So does Escape.
        ASSERT_TRUE(openMenuBarWindow());
        ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        EXPECT_TRUE(waitUntil([&] { return menuBarWindow() == 0; })) << "Escape left it open";

        EXPECT_TRUE(stopTavrin()) << tavrin_.readAllStandardError().toStdString();
        Platform::uninstall();
    }

    PrivateBus bus_;
};

class X11MenuBarWindowXfwmTest : public X11MenuBarWindowTest {
protected:
    XvfbSession::Options sessionOptions() const override
    {
        XvfbSession::Options options;
        options.windowManagerProgram = QStringLiteral("xfwm4");
        return options;
    }
};

TEST_F(X11MenuBarWindowTest, TakesTheFocusButNotTheKeyboardAndClosesWhenLeft) { openUseAndLeave(); }

// xfwm4 keeps new windows from taking the focus unless the user asked for
// them: the window opened by a second start still gets it.
TEST_F(X11MenuBarWindowXfwmTest, TakesTheFocusButNotTheKeyboardAndClosesWhenLeft) { openUseAndLeave(); }

} // namespace
} // namespace tavrin
