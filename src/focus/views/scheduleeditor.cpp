#include "focus/views/scheduleeditor.h"

#include "design/designfont.h"
#include "design/themedlabel.h"
#include "focus/views/daytoggle.h"
#include "focus/views/editorparts.h"
#include "focus/views/timefield.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrin {

ScheduleEditor::ScheduleEditor(Binding<FocusRoutine::Schedule> schedule, const QStringList& letters, QWidget* parent)
    : QWidget(parent),
      schedule_(std::move(schedule))
{
    QVBoxLayout* column = EditorParts::column(this, 300, 10);
    column->addWidget(EditorParts::title(tr("Runs at these times")));
    auto* dayRow = new QHBoxLayout;
    dayRow->setSpacing(4);
    for (int d = 1; d <= 7; ++d) {
        auto* toggle = new DayToggle(letters.value(d - 1));
        toggle->setAccessibleName(QLocale().dayName(d == 1 ? 7 : d - 1));
        days_ << toggle;
        dayRow->addWidget(toggle);
        connect(toggle, &QAbstractButton::clicked, this, [this, d] {
            FocusRoutine::Schedule s = schedule_.get();
            ScheduleEditor::toggle(s.days, d);
            schedule_.set(s);
            refresh();
        });
    }
    dayRow->addStretch();
    column->addLayout(dayRow);

    auto* times = new QHBoxLayout;
    times->setSpacing(8);
    const auto label = [](const QString& text) {
        return new ThemedLabel(text, TTheme::Colour::ink, DesignFont::system(12.5));
    };
    from_ = new TimeField;
    to_ = new TimeField;
    times->addWidget(label(tr("From")));
    times->addWidget(from_);
    times->addWidget(label(tr("to")));
    times->addWidget(to_);
    times->addStretch();
    column->addLayout(times);
    connect(from_, &TimeField::minutesEdited, this, [this](int minutes) {
        FocusRoutine::Schedule s = schedule_.get();
        s.start = minutes;
        schedule_.set(s);
    });
    connect(to_, &TimeField::minutesEdited, this, [this](int minutes) {
        FocusRoutine::Schedule s = schedule_.get();
        s.end = minutes;
        schedule_.set(s);
    });
    refresh();
}

void ScheduleEditor::toggle(QSet<int>& days, int day)
{
    if (!days.remove(day))
        days.insert(day);
}

void ScheduleEditor::refresh()
{
    const FocusRoutine::Schedule s = schedule_.get();
    for (int d = 1; d <= 7; ++d)
        days_.at(d - 1)->setChecked(s.days.contains(d));
    from_->setMinutes(s.start);
    to_->setMinutes(s.end);
}

} // namespace tavrin
