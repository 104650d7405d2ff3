#include "designfixture.h"

#include "design/caretblink.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QStyleHints>

using namespace tavrin;
using namespace tavrin::test;

namespace {

class CaretBlinkTest : public DesignTest {
protected:
    void SetUp() override
    {
        DesignTest::SetUp();
        hints()->setCursorFlashTime(1000);
    }
    void TearDown() override
    {
        hints()->setCursorFlashTime(1000);
        DesignTest::TearDown();
    }
    static QStyleHints* hints() { return QGuiApplication::styleHints(); }
    static void press(QObject* receiver)
    {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(receiver, &key);
    }
};

TEST_F(CaretBlinkTest, HoldsStillAfterTheTimeoutAndBlinksAgainAtTheNextKey)
{
    QObject field;
    CaretBlink blink(clock);
    clock.advance(CaretBlink::kTimeout - 0.5);
    EXPECT_FALSE(blink.isHeld());
    EXPECT_EQ(hints()->cursorFlashTime(), 1000);
    clock.advance(0.5);
    EXPECT_TRUE(blink.isHeld());
    EXPECT_EQ(hints()->cursorFlashTime(), 0);

    // A key counts from the moment it is pressed.
    press(&field);
    EXPECT_FALSE(blink.isHeld());
    EXPECT_EQ(hints()->cursorFlashTime(), 1000);
    clock.advance(CaretBlink::kTimeout / 2);
    press(&field);
    clock.advance(CaretBlink::kTimeout - 0.5);
    EXPECT_FALSE(blink.isHeld());
    clock.advance(0.5);
    EXPECT_TRUE(blink.isHeld());
    // Held, it leaves nothing on the clock to wake the program.
    EXPECT_EQ(clock.pending(), 0u);
}

TEST_F(CaretBlinkTest, LeavesTheDesktopsFlashTimeWhenItEnds)
{
    hints()->setCursorFlashTime(1200);
    {
        CaretBlink blink(clock);
        clock.advance(CaretBlink::kTimeout);
        EXPECT_EQ(hints()->cursorFlashTime(), 0);
    }
    EXPECT_EQ(hints()->cursorFlashTime(), 1200);
    EXPECT_EQ(clock.pending(), 0u);

    // A desktop that blinks no caret is left as it is.
    hints()->setCursorFlashTime(0);
    CaretBlink still(clock);
    QObject field;
    press(&field);
    clock.advance(CaretBlink::kTimeout);
    EXPECT_FALSE(still.isHeld());
    EXPECT_EQ(hints()->cursorFlashTime(), 0);
}

} // namespace
