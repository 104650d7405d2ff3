#pragma once

#include "platform/calendarstore.h"

#include <QAbstractButton>

namespace tavrin {

// A calendar's check box: the box, a dot of the calendar's colour, its
// title and, in secondary text, the account it belongs to.
class CalendarToggle : public QAbstractButton {
    Q_OBJECT
public:
    explicit CalendarToggle(const CalendarInfo& calendar, QWidget* parent = nullptr);

    const CalendarInfo& calendar() const { return calendar_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CalendarInfo calendar_;
};

} // namespace tavrin
