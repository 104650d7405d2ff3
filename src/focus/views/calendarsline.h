#pragma once

#include "platform/calendarstore.h"
#include "platform/workspace.h"

#include <QList>
#include <QWidget>

class QHBoxLayout;
class QScrollArea;
class QVBoxLayout;

namespace tavrin {

class CalendarToggle;
class Focus;
class PlainButton;
class Popover;
class TButton;
class TField;
class ThemedLabel;

// Where calendar triggers look for events: a row asking for calendar access
// while there is none, a summary of the calendars in use with the ways to
// choose them and to add calendars and calendar links, and one row per
// calendar link with its last error and "Remove". It writes the chosen
// calendars and the links and tells the engine; everything it shows is read
// again whenever the engine announces a change.
class CalendarsLine : public QWidget {
    Q_OBJECT
public:
    static inline const QString kCalendarSettings =
        QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Calendars");
    static inline const QString kAccountSettings =
        QStringLiteral("x-apple.systempreferences:") + Workspace::kOnlineAccountsPage;
    // The colour of a link's error.
    static inline const QColor kErrorColour = QColor(240, 168, 58);

    explicit CalendarsLine(Focus& focus, QWidget* parent = nullptr);

    // Reads everything again.
    void refresh();

    // The calendars offered: the store's, with full access only.
    QList<CalendarInfo> calendars() const;
    QString summaryText() const;
    // Why the desktop's settings did not open at the last button's page
    // (no program, no online accounts); empty when they did.
    QString settingsNote() const;
    bool accessRowShown() const;
    QString accessText() const;
    TButton* accessButton() const { return accessButton_; }
    PlainButton* chooseButton() const { return choose_; }
    PlainButton* accountsButton() const { return accounts_; }
    PlainButton* addLinkButton() const { return addLink_; }
    Popover* chooser() const { return chooser_; }
    Popover* linkEntry() const { return linkEntry_; }
    TField* linkField() const { return linkField_; }
    TButton* addButton() const { return add_; }
    // The toggle of each calendar in the chooser, in the store's order.
    const QList<CalendarToggle*>& toggles() const { return toggles_; }
    // Each link row: the name shown, the error shown (empty: none).
    struct LinkRow {
        QString link;
        QString name;
        QString error;
        TButton* remove = nullptr;
    };
    const QList<LinkRow>& linkRows() const { return linkRows_; }

    // The user switches a calendar on or off in the chooser.
    void setCalendarOn(const QString& id, bool on);
    // "Add" (or Return) in the link entry.
    void addTypedLink();
    void removeLink(const QString& link);

private:
    QWidget* buildAccessRow();
    QWidget* buildSummaryRow();
    QWidget* buildChooser();
    QWidget* buildLinkEntry();
    void fillChooser();
    void fillLinks();
    void showSettingsNote(const QString& note);

    Focus& focus_;
    QWidget* accessRow_;
    ThemedLabel* accessText_;
    TButton* accessButton_;
    ThemedLabel* summary_;
    ThemedLabel* settingsNote_;
    PlainButton* choose_;
    PlainButton* accounts_;
    PlainButton* addLink_;
    Popover* chooser_;
    QScrollArea* scroll_;
    QVBoxLayout* toggleList_;
    QList<CalendarToggle*> toggles_;
    Popover* linkEntry_;
    TField* linkField_;
    TButton* add_;
    QVBoxLayout* links_;
    QList<LinkRow> linkRows_;
};

} // namespace tavrin
