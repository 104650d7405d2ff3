#include "platform/hotkeys.h"
#include "platform/qtkeytranslator.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(QtKeyTranslator, KeysBecomeMacKeyCodesWithTheirLabels)
{
    struct Case {
        int key;
        std::uint32_t code;
        const char* label;
    };
    const Case cases[] = {
        {Qt::Key_A, 0, "A"},
        {Qt::Key_1, 18, "1"},
        {Qt::Key_0, 29, "0"},
        {Qt::Key_Space, 49, "Space"},
        {Qt::Key_Return, 36, "↩"},
        {Qt::Key_Left, 123, "←"},
        {Qt::Key_Up, 126, "↑"},
        {Qt::Key_F1, 122, "F1"},
        {Qt::Key_F5, 96, "F5"},
        {Qt::Key_F12, 111, "F12"},
        {Qt::Key_F20, 90, "F20"},
        {Qt::Key_Delete, 117, "⌦"},
        {Qt::Key_Backspace, 51, "⌫"},
        {Qt::Key_Home, 115, "↖"},
        {Qt::Key_Slash, 44, "/"},
        // The US layout's shifted symbols are the keys they are typed with.
        {Qt::Key_Exclam, 18, "1"},
        {Qt::Key_ParenRight, 29, "0"},
        {Qt::Key_Question, 44, "/"},
        {Qt::Key_BraceLeft, 33, "["},
        {Qt::Key_Backtab, 48, "⇥"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(QtKeyTranslator::macKeyCode(c.key), c.code);
        EXPECT_EQ(QtKeyTranslator::keyLabel(c.key), QString::fromUtf8(c.label));
    }
    EXPECT_FALSE(QtKeyTranslator::macKeyCode(Qt::Key_Launch0));
    EXPECT_TRUE(QtKeyTranslator::keyLabel(Qt::Key_Launch0).isEmpty());
}

TEST(QtKeyTranslator, ModifiersAndKeyKinds)
{
    EXPECT_EQ(QtKeyTranslator::carbonModifiers(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier),
              modifier::control | modifier::option | modifier::command);
    EXPECT_EQ(QtKeyTranslator::carbonModifiers(Qt::ShiftModifier | Qt::KeypadModifier), modifier::shift);
    EXPECT_TRUE(QtKeyTranslator::isFunctionKey(Qt::Key_F1));
    EXPECT_TRUE(QtKeyTranslator::isFunctionKey(Qt::Key_F20));
    EXPECT_FALSE(QtKeyTranslator::isFunctionKey(Qt::Key_F21));
    EXPECT_FALSE(QtKeyTranslator::isFunctionKey(Qt::Key_A));
    EXPECT_TRUE(QtKeyTranslator::isModifierKey(Qt::Key_Control));
    EXPECT_TRUE(QtKeyTranslator::isModifierKey(Qt::Key_Meta));
    EXPECT_FALSE(QtKeyTranslator::isModifierKey(Qt::Key_Escape));
}

} // namespace
} // namespace tavrin
