#include "focus/views/calendarsline.h"

#include "design/designfont.h"
#include "design/tbutton.h"
#include "design/tfield.h"
#include "design/themedlabel.h"
#include "design/thinscrollbar.h"
#include "focus/calendarlinks.h"
#include "focus/focus.h"
#include "focus/views/calendarchoice.h"
#include "focus/views/calendartoggle.h"
#include "focus/views/editorparts.h"
#include "focus/views/linkglyph.h"
#include "focus/views/plainbutton.h"
#include "focus/views/popover.h"
#include "focus/views/wraplayout.h"
#include "platform/platform.h"
#include "platform/workspace.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>
#include <QVBoxLayout>

namespace tavrin {

namespace {
constexpr qreal kFontSize = 12.5;
constexpr int kChooserHeight = 260;

ThemedLabel* muted(const QString& text)
{
    return new ThemedLabel(text, TTheme::Colour::muted, DesignFont::system(kFontSize));
}

PlainButton* link(const QString& text)
{
    return new PlainButton(text, TTheme::Colour::accent, DesignFont::system(kFontSize));
}

// Opens the desktop's settings at `address`; what to say when they did not
// open there, else empty.
QString openSettings(Workspace* workspace, const QString& address)
{
    const auto opening = workspace ? workspace->openSettings(QUrl(address)) : Workspace::SettingsOpening::noProgram;
    switch (opening) {
    case Workspace::SettingsOpening::opened: return {};
    case Workspace::SettingsOpening::noSuchPage:
        return CalendarsLine::tr("This desktop has no online accounts: add a calendar link instead.");
    case Workspace::SettingsOpening::noProgram: break;
    }
    return CalendarsLine::tr("No settings program for this desktop is installed.");
}

void clear(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater(); // the button that asked for this may be inside
        }
        delete item;
    }
}
} // namespace

CalendarsLine::CalendarsLine(Focus& focus, QWidget* parent) : QWidget(parent), focus_(focus)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 2, 0, 0);
    column->setSpacing(6);
    column->addWidget(buildAccessRow());
    column->addWidget(buildSummaryRow());
    settingsNote_ = muted(QString());
    settingsNote_->setObjectName(QStringLiteral("calendarsSettingsNote"));
    settingsNote_->setWordWrap(true);
    settingsNote_->hide();
    column->addWidget(settingsNote_);
    links_ = new QVBoxLayout;
    links_->setContentsMargins(0, 0, 0, 0);
    links_->setSpacing(6);
    column->addLayout(links_);

    connect(&focus_, &Focus::calendarStatusChanged, this, &CalendarsLine::refresh);
    connect(&focus_, &Focus::linkErrorsChanged, this, &CalendarsLine::refresh);
    connect(&focus_, &Focus::changed, this, &CalendarsLine::refresh);
    if (CalendarStore* store = focus_.platform().calendars)
        connect(store, &CalendarStore::changed, this, &CalendarsLine::refresh);
    refresh();
}

QWidget* CalendarsLine::buildAccessRow()
{
    accessRow_ = new QWidget;
    auto* row = new QHBoxLayout(accessRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    accessText_ = muted(QString());
    accessText_->setWordWrap(true);
    row->addWidget(accessText_, 1);
    accessButton_ = new TButton(QString());
    row->addWidget(accessButton_);
    connect(accessButton_, &QAbstractButton::clicked, this, [this] {
        if (focus_.calendarStatus() == CalendarAccess::denied)
            showSettingsNote(openSettings(focus_.platform().workspace, kCalendarSettings));
        else
            focus_.requestCalendarAccess();
    });
    return accessRow_;
}

QWidget* CalendarsLine::buildSummaryRow()
{
    // One line where there is room; the links move to the next otherwise.
    auto* widget = new QWidget;
    auto* row = new WrapLayout(6, widget);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    widget->setSizePolicy(policy);
    summary_ = muted(QString());
    summary_->setObjectName(QStringLiteral("calendarsSummary"));
    row->addWidget(summary_);
    choose_ = link(tr("Choose calendars"));
    row->addWidget(choose_);
    // Shown also while "Choose calendars" is not (without calendar access).
    row->addWidget(muted(QStringLiteral("·")));
    accounts_ = link(tr("Add Google, Outlook or Teams…"));
    accounts_->setToolTip(tr("Opens your desktop's online accounts. Calendars you add there show up here."));
    row->addWidget(accounts_);
    row->addWidget(muted(QStringLiteral("·")));
    addLink_ = link(tr("Add a calendar link"));
    row->addWidget(addLink_);

    chooser_ = new Popover(buildChooser(), choose_);
    linkEntry_ = new Popover(buildLinkEntry(), addLink_);
    connect(choose_, &QAbstractButton::clicked, this, [this] {
        fillChooser();
        chooser_->open();
    });
    connect(accounts_, &QAbstractButton::clicked, this,
            [this] { showSettingsNote(openSettings(focus_.platform().workspace, kAccountSettings)); });
    connect(addLink_, &QAbstractButton::clicked, this, [this] {
        linkEntry_->open();
        linkField_->setFocus();
    });
    return widget;
}

QWidget* CalendarsLine::buildChooser()
{
    auto* chooser = new QWidget;
    QVBoxLayout* column = EditorParts::column(chooser, 300, 6);
    column->addWidget(EditorParts::title(tr("Use events from")));
    column->addWidget(EditorParts::hint(tr("Every calendar added in your desktop's online accounts shows here: "
                                           "Google, Outlook, Exchange, Nextcloud.")));
    auto* scroll = scroll_ = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    ThinScrollBar::apply(scroll->verticalScrollBar());
    auto* list = new QWidget;
    toggleList_ = new QVBoxLayout(list);
    toggleList_->setContentsMargins(0, 0, 0, 0);
    toggleList_->setSpacing(4);
    toggleList_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    scroll->setWidget(list);
    column->addWidget(scroll);
    return chooser;
}

QWidget* CalendarsLine::buildLinkEntry()
{
    auto* entry = new QWidget;
    QVBoxLayout* column = EditorParts::column(entry, 340, 8);
    column->addWidget(EditorParts::title(tr("Paste a calendar's private link")));
    column->addWidget(
        EditorParts::hint(tr("For calendars not added to this computer. Google: Settings › your calendar › "
                             "Secret address in iCal format. Outlook: Settings › Shared calendars › "
                             "Publish › ICS.")));
    linkField_ = new TField;
    linkField_->setPlaceholderText(tr("https://… .ics or webcal://…"));
    column->addWidget(linkField_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    add_ = new TButton(tr("Add"), TButtonStyle::Kind::primary);
    add_->setEnabled(false);
    buttons->addWidget(add_);
    column->addLayout(buttons);
    connect(linkField_, &QLineEdit::textChanged, this,
            [this](const QString& text) { add_->setEnabled(CalendarChoice::canAdd(text)); });
    // "Add" is the entry's default action: Return presses it.
    connect(linkField_, &QLineEdit::returnPressed, this, [this] {
        if (add_->isEnabled())
            addTypedLink();
    });
    connect(add_, &QAbstractButton::clicked, this, &CalendarsLine::addTypedLink);
    return entry;
}

QList<CalendarInfo> CalendarsLine::calendars() const
{
    const CalendarStore* store = focus_.platform().calendars;
    if (!store || focus_.calendarStatus() != CalendarAccess::fullAccess)
        return {};
    return store->calendars();
}

QString CalendarsLine::summaryText() const { return summary_->text(); }

QString CalendarsLine::settingsNote() const { return settingsNote_->isHidden() ? QString() : settingsNote_->text(); }

void CalendarsLine::showSettingsNote(const QString& note)
{
    settingsNote_->setText(note);
    settingsNote_->setHidden(note.isEmpty());
}

bool CalendarsLine::accessRowShown() const { return !accessRow_->isHidden(); }

QString CalendarsLine::accessText() const { return accessText_->text(); }

void CalendarsLine::refresh()
{
    const CalendarAccess status = focus_.calendarStatus();
    const bool full = status == CalendarAccess::fullAccess;
    accessRow_->setHidden(full);
    if (status == CalendarAccess::denied) {
        accessText_->setText(tr("Tavrin can't see your calendars."));
        accessButton_->setText(tr("Open Desktop Settings"));
    } else {
        accessText_->setText(tr("Calendar triggers need access to your calendars."));
        accessButton_->setText(tr("Allow"));
    }
    accessButton_->updateGeometry();
    summary_->setText(tr("Calendars: ")
                      + CalendarChoice::summary(calendars(), CalendarChoice::chosen(focus_.platform().defaults),
                                                focus_.links().stored()));
    choose_->setVisible(full);
    if (!full)
        chooser_->hide();
    if (chooser_->isVisible())
        fillChooser();
    fillLinks();
}

void CalendarsLine::fillChooser()
{
    clear(toggleList_);
    toggles_.clear();
    const QStringList chosen = CalendarChoice::chosen(focus_.platform().defaults);
    for (const CalendarInfo& calendar : calendars()) {
        auto* toggle = new CalendarToggle(calendar);
        toggle->setChecked(CalendarChoice::isOn(chosen, calendar.id));
        connect(toggle, &QAbstractButton::clicked, this, [this, id = calendar.id](bool on) { setCalendarOn(id, on); });
        toggleList_->addWidget(toggle);
        toggles_ << toggle;
    }
    // As tall as the list, up to 260 points; it scrolls beyond.
    toggleList_->activate();
    scroll_->setFixedHeight(std::min(kChooserHeight, toggleList_->sizeHint().height()));
}

void CalendarsLine::fillLinks()
{
    clear(links_);
    linkRows_.clear();
    const QHash<QString, QString>& errors = focus_.linkErrors();
    for (const QString& stored : focus_.links().stored()) {
        auto* widget = new QWidget;
        auto* row = new QHBoxLayout(widget);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(6);
        row->addWidget(new LinkGlyph(11));
        LinkRow entry{stored, CalendarChoice::shownName(stored), errors.value(stored), nullptr};
        row->addWidget(new ThemedLabel(entry.name, TTheme::Colour::ink, DesignFont::system(12)));
        if (!entry.error.isEmpty()) {
            auto* error = new QLabel(entry.error);
            error->setTextFormat(Qt::PlainText);
            error->setFont(DesignFont::system(12));
            QPalette p = error->palette();
            p.setColor(QPalette::WindowText, kErrorColour);
            error->setPalette(p);
            row->addWidget(error);
        }
        entry.remove = new TButton(tr("Remove"), TButtonStyle::Kind::ghost);
        connect(entry.remove, &QAbstractButton::clicked, this, [this, stored] { removeLink(stored); });
        row->addWidget(entry.remove);
        row->addStretch();
        links_->addWidget(widget);
        linkRows_ << entry;
    }
}

void CalendarsLine::setCalendarOn(const QString& id, bool on)
{
    CalendarChoice::setChosen(
        focus_.platform().defaults,
        CalendarChoice::toggled(calendars(), CalendarChoice::chosen(focus_.platform().defaults), id, on));
    emit focus_.changed();
    focus_.evaluate();
}

void CalendarsLine::addTypedLink()
{
    if (const auto links = CalendarChoice::added(focus_.links().stored(), linkField_->text()))
        focus_.setLinks(*links);
    linkField_->clear();
    linkEntry_->hide();
}

void CalendarsLine::removeLink(const QString& link)
{
    focus_.setLinks(CalendarChoice::removed(focus_.links().stored(), link));
}

} // namespace tavrin
