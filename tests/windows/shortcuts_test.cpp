#include "platform/hotkeys.h"
#include "windows/keycombo.h"
#include "windows/shortcutaction.h"

#include "printers.h"

#include <gtest/gtest.h>
#include <set>

using namespace tavrin;

TEST(KeyCombo, KeysAreNamedInFixedOrderAsCapsAndRunningText)
{
    using namespace modifier;
    const struct {
        std::uint32_t mask;
        const char* text;
    } cases[] = {
        {0, "A"},
        {command | shift | option | control, "Ctrl+Alt+Shift+Super+A"},
        {command | control, "Ctrl+Super+A"},
        {shift, "Shift+A"},
        {option | 0x1, "Alt+A"}, // bits that are no modifier are ignored
    };
    for (const auto& c : cases) {
        const KeyCombo combo{0, c.mask, "A"};
        EXPECT_EQ(combo.text(), QString::fromUtf8(c.text));
        EXPECT_EQ(combo.keyNames(), combo.text().split(QLatin1Char('+')));
    }
}

TEST(KeyCombo, JsonKeepsEveryFieldAndRejectsBadValues)
{
    const KeyCombo combo{123, modifier::control | modifier::option, QStringLiteral("←")};
    EXPECT_EQ(KeyCombo::fromJsonText(combo.toJsonText()), combo);
    EXPECT_EQ(combo.toJson().keys(), QStringList({"key", "keyCode", "modifiers"}));
    EXPECT_EQ(KeyCombo::fromJsonText(R"({"keyCode":49,"modifiers":2048,"key":"Space"})"),
              KeyCombo({49, 2048, "Space"}));
    for (const char* bad :
         {"", "none", "[]", R"({"keyCode":49,"modifiers":2048})", R"({"keyCode":-1,"modifiers":0,"key":"A"})",
          R"({"keyCode":1.5,"modifiers":0,"key":"A"})", R"({"keyCode":"1","modifiers":0,"key":"A"})"})
        EXPECT_EQ(KeyCombo::fromJsonText(bad), std::nullopt) << bad;
}

TEST(ShortcutAction, MenuOrderAndIds)
{
    QStringList ids;
    for (const ShortcutAction& a : ShortcutAction::allCases())
        ids << a.id();
    EXPECT_EQ(ids, QStringList({"layout.focusCentre", "layout.halves",   "layout.thirds",   "layout.studio",
                                "layout.stack",       "layout.columns",  "arrow.left",      "arrow.right",
                                "arrow.up",           "arrow.down",      "display.left",    "display.right",
                                "snap.topLeft",       "snap.topHalf",    "snap.topRight",   "snap.leftThird",
                                "snap.centreThird",   "snap.rightThird", "snap.bottomLeft", "snap.bottomHalf",
                                "snap.bottomRight",   "commandBar",      "usualLayout",     "fill",
                                "shareSafe",          "hideApp"}));
    for (const QString& id : ids)
        EXPECT_EQ(ShortcutAction::fromId(id)->id(), id);
    EXPECT_EQ(ShortcutAction::fromId("layout.bogus"), std::nullopt);
}

TEST(ShortcutAction, DefaultBindings)
{
    using namespace modifier;
    const std::uint32_t co = control | option;
    const struct {
        ShortcutAction action;
        KeyCombo combo;
    } cases[] = {
        {ShortcutAction::layout(LayoutKind::focusCentre), {18, co, "1"}},
        {ShortcutAction::layout(LayoutKind::stack), {23, co, "5"}},
        {ShortcutAction::layout(LayoutKind::columns), {22, co, "6"}},
        {ShortcutAction::arrow(Arrow::left), {123, co, "←"}},
        {ShortcutAction::arrow(Arrow::right), {124, co, "→"}},
        {ShortcutAction::arrow(Arrow::up), {126, co, "↑"}},
        {ShortcutAction::arrow(Arrow::down), {125, co, "↓"}},
        {ShortcutAction::moveDisplay(false), {123, co | command, "←"}},
        {ShortcutAction::moveDisplay(true), {124, co | command, "→"}},
        {ShortcutAction::snap(SnapTarget::topLeft), {12, co, "Q"}},
        {ShortcutAction::snap(SnapTarget::centreThird), {1, co, "S"}},
        {ShortcutAction::snap(SnapTarget::bottomRight), {8, co, "C"}},
        {ShortcutAction::of(ShortcutAction::Kind::commandBar), {49, option, "Space"}},
        {ShortcutAction::of(ShortcutAction::Kind::usualLayout), {29, co, "0"}},
        {ShortcutAction::of(ShortcutAction::Kind::fill), {36, co, "↩"}},
        {ShortcutAction::of(ShortcutAction::Kind::shareSafe), {35, co | shift, "P"}},
        {ShortcutAction::of(ShortcutAction::Kind::hideApp), {35, co, "P"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.action.defaultCombo(true), c.combo) << c.action.id().toStdString();

    // Snap targets have their letters only with the letter grid on.
    EXPECT_EQ(ShortcutAction::snap(SnapTarget::topLeft).defaultCombo(false), std::nullopt);
    EXPECT_TRUE(ShortcutAction::of(ShortcutAction::Kind::fill).defaultCombo(false));
}

TEST(ShortcutAction, NoTwoDefaultsShareAKey)
{
    std::set<std::pair<std::uint32_t, std::uint32_t>> seen;
    for (const ShortcutAction& a : ShortcutAction::allCases()) {
        const auto combo = a.defaultCombo(true);
        ASSERT_TRUE(combo) << a.id().toStdString();
        EXPECT_TRUE(seen.insert({combo->keyCode, combo->modifiers}).second) << a.id().toStdString();
    }
}
