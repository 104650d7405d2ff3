#include "design/caretblink.h"

#include "platform/timer.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

namespace tavrin {

CaretBlink::CaretBlink(Clock& clock, QObject* parent)
    : QObject(parent),
      flashTime_(QGuiApplication::styleHints()->cursorFlashTime()),
      timer_(new Timer(clock, this))
{
    connect(timer_, &Timer::timeout, this, &CaretBlink::hold);
    if (flashTime_ <= 0)
        return;
    qApp->installEventFilter(this);
    timer_->start(kTimeout);
}

CaretBlink::~CaretBlink() { release(); }

bool CaretBlink::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::InputMethod:
    case QEvent::FocusIn:
        release();
        timer_->start(kTimeout);
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

void CaretBlink::hold()
{
    if (held_)
        return;
    held_ = true;
    QGuiApplication::styleHints()->setCursorFlashTime(0);
}

void CaretBlink::release()
{
    if (!held_)
        return;
    held_ = false;
    QGuiApplication::styleHints()->setCursorFlashTime(flashTime_);
}

} // namespace tavrin
