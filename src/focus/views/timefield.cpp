#include "focus/views/timefield.h"

#include "design/designfont.h"
#include "design/environment.h"

#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>

namespace tavrin {

TimeField::TimeField(QWidget* parent) : QTimeEdit(parent)
{
    setDisplayFormat(format());
    setFont(DesignFont::system(12.5));
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setAlignment(Qt::AlignCenter);
    setWrapping(true);
    new EnvironmentWatcher(this, [this] { refresh(); });
    refresh();
    connect(this, &QTimeEdit::userTimeChanged, this, [this](const QTime& time) {
        if (!signalsBlocked())
            emit minutesEdited(minutes(time));
    });
}

void TimeField::setMinutes(int minutes)
{
    if (this->minutes() == minutes && time().isValid())
        return;
    const QSignalBlocker quiet(this);
    setTime(timeOf(minutes));
}

int TimeField::minutes(const QTime& time) { return time.isValid() ? time.hour() * 60 + time.minute() : 0; }

QTime TimeField::timeOf(int minutes)
{
    const int m = std::clamp(minutes, 0, 24 * 60 - 1);
    return {m / 60, m % 60};
}

QString TimeField::format()
{
    const QLocale locale;
    if (locale.language() == QLocale::C)
        return QStringLiteral("HH:mm");
    QString pattern = locale.timeFormat(QLocale::ShortFormat);
    // Some short styles still carry seconds: hours and minutes only.
    pattern.remove(QRegularExpression(QStringLiteral("[:.]ss?")));
    return pattern;
}

void TimeField::refresh()
{
    const TTheme t = Environment::theme(this);
    QPalette p = palette();
    p.setColor(QPalette::Base, t.fill);
    p.setColor(QPalette::Window, t.fill);
    p.setColor(QPalette::Text, t.ink);
    p.setColor(QPalette::WindowText, t.ink);
    p.setColor(QPalette::Highlight, t.accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(p);
    // The editor inside keeps the palette it was first given: a change of
    // scheme is handed to it too, or its text keeps the other scheme's ink.
    lineEdit()->setPalette(p);
}

} // namespace tavrin
