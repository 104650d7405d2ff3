#include "platform/hotkeys.h"
#include "platform/sim/simclock.h"
#include "platform/x11/mackeys.h"
#include "platform/x11/x11hotkeys.h"
#include "platform/x11/x11keyboard.h"
#include "support/x11/x11fixture.h"
#include "windows/axwindow.h"
#include "windows/hotkeycenter.h"
#include "windows/windowmanager.h"

#include <QSignalSpy>
#include <X11/keysym.h>

namespace tavrin {
namespace {

constexpr std::uint32_t kCtrlAlt = modifier::control | modifier::option;

class X11HotKeysTest : public X11Test {
protected:
    HotKeys& keys() { return *platform_.hotKeys; }
    // Presses a key combination through XTEST and says which hot key ids
    // came. Ctrl+Alt+Shift+F12, a hot key of its own, is pressed after it:
    // once that has come, whatever the combination brought has come too,
    // however long the machine took.
    std::vector<std::uint32_t> press(const QString& combo)
    {
        constexpr std::uint32_t kEnd = 999, kF12 = 111;
        EXPECT_EQ(keys().registerHotKey(HotKeys::kSignature, kEnd, kF12, kCtrlAlt | modifier::shift),
                  HotKeys::kStatusNoError);
        QSignalSpy spy(&keys(), &HotKeys::pressed);
        EXPECT_TRUE(xdotool({QStringLiteral("key"), combo, QStringLiteral("ctrl+alt+shift+F12")}));
        std::vector<std::uint32_t> ids;
        EXPECT_TRUE(waitUntil([&] { return !spy.isEmpty() && spy.last().at(1).value<std::uint32_t>() == kEnd; }));
        for (const auto& args : spy) {
            EXPECT_EQ(args.at(0).value<std::uint32_t>(), HotKeys::kSignature);
            if (args.at(1).value<std::uint32_t>() != kEnd)
                ids.push_back(args.at(1).value<std::uint32_t>());
        }
        keys().unregisterHotKey(HotKeys::kSignature, kEnd);
        return ids;
    }
    using Ids = std::vector<std::uint32_t>;
};

TEST_F(X11HotKeysTest, DefaultCombinationsArriveAsTheirIds)
{
    struct Binding {
        std::uint32_t keyCode, modifiers;
        const char* combo;
    };
    const Binding bindings[] = {
        {123, kCtrlAlt, "ctrl+alt+Left"},
        {124, kCtrlAlt, "ctrl+alt+Right"},
        {126, kCtrlAlt, "ctrl+alt+Up"},
        {125, kCtrlAlt, "ctrl+alt+Down"},
        {123, kCtrlAlt | modifier::command, "ctrl+alt+super+Left"},
        {19, kCtrlAlt, "ctrl+alt+2"},
        {22, kCtrlAlt, "ctrl+alt+6"},
        {29, kCtrlAlt, "ctrl+alt+0"},
        {12, kCtrlAlt, "ctrl+alt+q"},
        {8, kCtrlAlt, "ctrl+alt+c"},
        {49, modifier::option, "alt+space"},
        {36, kCtrlAlt, "ctrl+alt+Return"},
        {35, kCtrlAlt | modifier::shift, "ctrl+alt+shift+p"},
        {35, kCtrlAlt, "ctrl+alt+p"},
    };
    std::uint32_t id = 1;
    for (const Binding& b : bindings)
        ASSERT_EQ(keys().registerHotKey(HotKeys::kSignature, id++, b.keyCode, b.modifiers), HotKeys::kStatusNoError)
            << b.combo;
    id = 1;
    for (const Binding& b : bindings)
        EXPECT_EQ(press(QString::fromLatin1(b.combo)), Ids{id++}) << b.combo;
    // Without its modifiers, or with one more, a key is not the hot key.
    EXPECT_EQ(press(QStringLiteral("ctrl+Left")), Ids{});
    EXPECT_EQ(press(QStringLiteral("ctrl+alt+shift+Left")), Ids{});
}

TEST_F(X11HotKeysTest, KeysWorkWithNumLockAndCapsLockOn)
{
    ASSERT_EQ(keys().registerHotKey(HotKeys::kSignature, 7, 124, kCtrlAlt), HotKeys::kStatusNoError);
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")}));
    EXPECT_EQ(press(QStringLiteral("ctrl+alt+Right")), Ids{7});
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")}));
    EXPECT_EQ(press(QStringLiteral("ctrl+alt+Right")), Ids{7});
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")}));
    EXPECT_EQ(press(QStringLiteral("ctrl+alt+Right")), Ids{7});
}

TEST_F(X11HotKeysTest, KeyHeldByAnotherClientIsRefusedAndLeftAlone)
{
    // Another program holds ⌃⌥→ (as a window manager's own binding would).
    X11Keyboard other(*probe_);
    const xcb_keycode_t right = other.keycodeFor(XK_Right);
    ASSERT_NE(right, 0);
    const std::uint16_t mods = XCB_MOD_MASK_CONTROL | other.altMask();
    xcb_grab_key(probe_->xcb(), 1, probe_->root(), mods, right, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    ASSERT_TRUE(probe_->sync());

    EXPECT_EQ(keys().registerHotKey(HotKeys::kSignature, 1, 124, kCtrlAlt), HotKeys::kStatusKeyInUse);
    EXPECT_EQ(keys().registerHotKey(HotKeys::kSignature, 2, 123, kCtrlAlt), HotKeys::kStatusNoError);
    EXPECT_EQ(press(QStringLiteral("ctrl+alt+Left")), Ids{2});

    // Once the other program lets go, nothing of the refused key is left with us.
    xcb_ungrab_key(probe_->xcb(), right, probe_->root(), mods);
    ASSERT_TRUE(probe_->sync());
    EXPECT_EQ(press(QStringLiteral("ctrl+alt+Right")), Ids{});
    EXPECT_EQ(keys().registerHotKey(HotKeys::kSignature, 1, 124, kCtrlAlt), HotKeys::kStatusNoError);
    EXPECT_EQ(press(QStringLiteral("ctrl+alt+Right")), Ids{1});
}

TEST_F(X11HotKeysTest, OneKeyOneIdAndUnregistering)
{
    EXPECT_EQ(keys().registerHotKey(HotKeys::kSignature, 1, 35, kCtrlAlt), HotKeys::kStatusNoError);
    EXPECT_EQ(keys().registerHotKey(HotKeys::kSignature, 2, 35, kCtrlAlt), HotKeys::kStatusKeyInUse);
    // Registering an id again moves it to the new key.
    EXPECT_EQ(keys().registerHotKey(HotKeys::kSignature, 1, 35, kCtrlAlt | modifier::shift), HotKeys::kStatusNoError);
    EXPECT_EQ(press(QStringLiteral("ctrl+alt+p")), Ids{});
    EXPECT_EQ(press(QStringLiteral("ctrl+alt+shift+p")), Ids{1});
    keys().unregisterHotKey(HotKeys::kSignature, 1);
    EXPECT_EQ(press(QStringLiteral("ctrl+alt+shift+p")), Ids{});
    keys().unregisterHotKey(HotKeys::kSignature, 99); // unknown: nothing happens
    EXPECT_EQ(keys().registerHotKey(HotKeys::kSignature, 3, 200, kCtrlAlt), X11HotKeys::kStatusNoSuchKey);
}

// The hot-key centre on a desktop whose window manager holds ⌃⌥← and ⌥Space
// (as openbox does by default), with virtual time for its retries.
class X11TakenKeysTest : public X11Test {
protected:
    XvfbSession::Options sessionOptions() const override
    {
        XvfbSession::Options o;
        o.windowManagerKeys = QStringLiteral(
            R"(<keybind key="C-A-Left"><action name="GoToDesktop"><to>left</to></action></keybind>)"
            R"(<keybind key="A-space"><action name="ShowMenu"><menu>client-menu</menu></action></keybind>)");
        return o;
    }
    void SetUp() override
    {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        platform_.clock = &simClock_;
        Platform::install(platform_);
    }
    void TearDown() override
    {
        center_.unregisterAll();
        if (Platform::isInstalled())
            Platform::uninstall();
        X11Test::TearDown();
    }
    // Has openbox let go of the key? The test's own connection can grab it.
    bool letGo(xcb_keysym_t keysym, std::uint16_t mods)
    {
        X11Keyboard keyboard(*probe_);
        const xcb_keycode_t code = keyboard.keycodeFor(keysym);
        const auto cookie = xcb_grab_key_checked(probe_->xcb(), 1, probe_->root(), mods, code, XCB_GRAB_MODE_ASYNC,
                                                 XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* err = xcb_request_check(probe_->xcb(), cookie)) {
            std::free(err);
            return false;
        }
        xcb_ungrab_key(probe_->xcb(), code, probe_->root(), mods);
        return probe_->sync();
    }
    // Runs what the key presses set off meanwhile until `done` holds.
    bool settle(const std::function<bool()>& done)
    {
        return waitUntil([&] {
            simClock_.runDue();
            return done();
        });
    }

    SimClock simClock_;
    HotKeyCenter center_;
};

TEST_F(X11TakenKeysTest, AKeyTheWindowManagerLetsGoWorksAtTheNextTry)
{
    const AXElement terminal = startXterm(300, 200);
    ASSERT_TRUE(terminal.isValid());
    ASSERT_TRUE(activate(xcb_window_t(terminal.token)));
    WindowManager manager;
    const KeyCombo left{123, kCtrlAlt, QStringLiteral("←")}, right{124, kCtrlAlt, QStringLiteral("→")};
    auto arrow = [&](Arrow a) { return [&manager, a] { manager.arrow(a); }; };
    EXPECT_FALSE(center_.registerKey(left, arrow(Arrow::left)));
    EXPECT_TRUE(center_.registerKey(right, arrow(Arrow::right)));
    EXPECT_TRUE(center_.isTaken(left));
    X11Keyboard keyboard(*probe_);
    const std::uint16_t ctrlAlt = XCB_MOD_MASK_CONTROL | keyboard.altMask();

    // Openbox drops its own bindings; the key works from the next try on.
    ASSERT_TRUE(session_->setWindowManagerKeys(QString()));
    ASSERT_TRUE(waitUntil([&] { return letGo(XK_Left, ctrlAlt); }));
    simClock_.advance(HotKeyCenter::kRetryInterval - 0.1);
    EXPECT_TRUE(center_.isTaken(left));
    simClock_.advance(0.1);
    EXPECT_FALSE(center_.isTaken(left));
    EXPECT_FALSE(center_.hasTakenKeys());

    const AXWindow window{terminal, {}};
    const Rect before = *window.frame();
    EXPECT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+Left")}));
    EXPECT_TRUE(settle([&] { return window.frame() != before; }));
    const Rect leftHalf = UnitRect(0, 0, 0.5, 1).rect(Display::containing(before)->area, 8);
    EXPECT_EQ(window.frame()->origin(), leftHalf.origin());
}

TEST_F(X11TakenKeysTest, AKeyboardMappingChangeTriesTakenKeysAtOnce)
{
    const KeyCombo space{49, modifier::option, QStringLiteral("Space")};
    int presses = 0;
    EXPECT_FALSE(center_.registerKey(space, [&] { ++presses; }));
    X11Keyboard keyboard(*probe_);
    ASSERT_TRUE(session_->setWindowManagerKeys(QString()));
    ASSERT_TRUE(waitUntil([&] { return letGo(XK_space, keyboard.altMask()); }));
    EXPECT_TRUE(center_.isTaken(space)); // no clock has run

    // Another layout is loaded (a spare key code gets a key).
    QProcess xmodmap;
    xmodmap.setProcessEnvironment(session_->environment());
    xmodmap.start(QStringLiteral("xmodmap"), {QStringLiteral("-e"), QStringLiteral("keycode 200 = F13")});
    ASSERT_TRUE(xmodmap.waitForFinished(5000) && xmodmap.exitCode() == 0);
    EXPECT_TRUE(waitUntil([&] { return !center_.isTaken(space); }));
    EXPECT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("alt+space")}));
    EXPECT_TRUE(settle([&] { return presses == 1; }));
}

TEST(MacKeyCodes, TranslateToKeysyms)
{
    EXPECT_EQ(keysymForMacKeyCode(123), std::uint32_t(XK_Left));
    EXPECT_EQ(keysymForMacKeyCode(124), std::uint32_t(XK_Right));
    EXPECT_EQ(keysymForMacKeyCode(125), std::uint32_t(XK_Down));
    EXPECT_EQ(keysymForMacKeyCode(126), std::uint32_t(XK_Up));
    // The digit row is not in order on a Mac keyboard.
    const std::pair<std::uint32_t, std::uint32_t> digits[] = {{18, XK_1}, {19, XK_2}, {20, XK_3}, {21, XK_4},
                                                              {23, XK_5}, {22, XK_6}, {26, XK_7}, {28, XK_8},
                                                              {25, XK_9}, {29, XK_0}};
    for (const auto& [code, sym] : digits)
        EXPECT_EQ(keysymForMacKeyCode(code), sym) << code;
    const std::pair<std::uint32_t, std::uint32_t> letters[] = {{12, XK_q}, {13, XK_w}, {14, XK_e}, {0, XK_a},
                                                               {1, XK_s},  {2, XK_d},  {6, XK_z},  {7, XK_x},
                                                               {8, XK_c},  {35, XK_p}, {46, XK_m}, {45, XK_n}};
    for (const auto& [code, sym] : letters)
        EXPECT_EQ(keysymForMacKeyCode(code), sym) << code;
    EXPECT_EQ(keysymForMacKeyCode(36), std::uint32_t(XK_Return));
    EXPECT_EQ(keysymForMacKeyCode(49), std::uint32_t(XK_space));
    EXPECT_EQ(keysymForMacKeyCode(53), std::uint32_t(XK_Escape));
    EXPECT_EQ(keysymForMacKeyCode(122), std::uint32_t(XK_F1));
    EXPECT_EQ(keysymForMacKeyCode(52), 0u);
    EXPECT_EQ(keysymForMacKeyCode(500), 0u);
}

} // namespace
} // namespace tavrin
