#include "platform/hotkeys.h"
#include "platform/x11/mackeys.h"
#include "platform/x11/x11hotkeys.h"
#include "platform/x11/x11keyboard.h"
#include "support/x11/x11fixture.h"

#include <QSignalSpy>
#include <X11/keysym.h>

namespace tavrin {
namespace {

constexpr std::uint32_t kCtrlAlt = modifier::control | modifier::option;

class X11HotKeysTest : public X11Test {
protected:
    HotKeys& keys() { return *platform_.hotKeys; }
    // Presses a key combination through XTEST and says which hot key ids came.
    std::vector<std::uint32_t> press(const QString& combo)
    {
        QSignalSpy spy(&keys(), &HotKeys::pressed);
        EXPECT_TRUE(xdotool({QStringLiteral("key"), combo}));
        waitUntil([&] { return spy.count() > 0; }, 0.3);
        std::vector<std::uint32_t> ids;
        for (const auto& args : spy) {
            EXPECT_EQ(args.at(0).value<std::uint32_t>(), HotKeys::kSignature);
            ids.push_back(args.at(1).value<std::uint32_t>());
        }
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
