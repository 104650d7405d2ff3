#pragma once

#include <QObject>
#include <QPointer>

namespace tavrin {

class Clock;
class Timer;

// The caret of a text field blinks while the user works and holds still,
// shown, once they have left the program alone for `kTimeout` seconds, as on
// the GTK desktops (their "cursor blink timeout"): a field left focused in
// an open window (the command bar waiting for a task) then costs nothing,
// where a blink redraws the window under the caret twice a second for as
// long as it stays open. A key, a click, a scroll or a focus change anywhere
// in the program lets it blink again at the desktop's pace.
//
// It watches every event of the application it is made for and sets the
// application's caret flash time: 0 while held (Qt's fields then show the
// caret without blinking), else the desktop's. Main thread only; one per
// application.
class CaretBlink : public QObject {
    Q_OBJECT
public:
    static constexpr double kTimeout = 10;

    // Starts counting at once; the desktop's flash time is the one in effect
    // now. Nothing is held where the desktop blinks no caret.
    explicit CaretBlink(Clock& clock, QObject* parent = nullptr);
    // Lets the caret blink again.
    ~CaretBlink() override;

    // Whether the caret is held still now.
    bool isHeld() const { return held_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hold();
    void release();

    int flashTime_; // the desktop's, in milliseconds
    QPointer<Timer> timer_;
    bool held_ = false;
};

} // namespace tavrin
