#pragma once

#include <QTimeEdit>

namespace tavrin {

// A time of day edited as hours and minutes in the locale's short style and
// given as minutes after midnight. It works on the clock face alone, never
// on an instant, so a day on which the clocks change shows and stores the
// same hours as any other.
class TimeField : public QTimeEdit {
    Q_OBJECT
public:
    explicit TimeField(QWidget* parent = nullptr);

    // 0 to 1439.
    int minutes() const { return minutes(QTimeEdit::time()); }
    void setMinutes(int minutes);

    // Hours × 60 + minutes; seconds are dropped.
    static int minutes(const QTime& time);
    // The time of a minute of the day (clamped to the day).
    static QTime timeOf(int minutes);
    // The locale's short time pattern, without seconds.
    static QString format();

signals:
    // The user changed the time.
    void minutesEdited(int minutes);

private:
    void refresh();
};

} // namespace tavrin
