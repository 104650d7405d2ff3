#pragma once

#include "design/apppicker.h"
#include "design/designwidget.h"
#include "focus/views/routinebinding.h"
#include "focus/views/routinecardmodel.h"

#include <QHash>
#include <QPointer>
#include <functional>
#include <optional>

class QGraphicsOpacityEffect;
class QMenu;

namespace tavrin {

class FlowRow;
class Focus;
class PlainButton;
class Popover;
class TButton;
class TField;
class ThemedLabel;
class Token;
class TSwitch;

// The editor of one routine: its name (double-click or "Rename…" to
// rename), whether it runs now ("On until …" and "Stop", else "Start now"),
// "…" with "Rename…" and "Delete routine", its switch, and two rows of
// chips: "When" (its triggers, "or" between them) and "Do" (its actions),
// each chip with its editor and each row with "+ Add". Every change is
// written into the engine's list at once. A switched-off routine's card is
// dimmed and thinly outlined, and stays usable.
class RoutineCard : public DesignWidget {
    Q_OBJECT
public:
    using Kind = RoutineCardModel::Kind;
    using PickTarget = RoutineCardModel::PickTarget;

    static constexpr QMargins kPadding{14, 12, 14, 12};
    static constexpr qreal kRadius = 12;
    static constexpr qreal kDimmed = 0.6;
    static inline const QStringList kDayLetters{"S", "M", "T", "W", "T", "F", "S"};

    RoutineCard(Focus& focus, const QUuid& id, QWidget* parent = nullptr);

    const QUuid& id() const { return binding_.id(); }
    // Shows the routine and the engine as they are now.
    void refresh();

    bool isRunning() const;
    qreal opacity() const;
    ThemedLabel* nameLabel() const { return name_; }
    ThemedLabel* runningLabel() const { return runningText_; }
    TButton* stopButton() const { return stop_; }
    TButton* startButton() const { return start_; }
    TSwitch* enabledSwitch() const { return switch_; }
    // The texts of a row's items in order ("+ Add" left out).
    QStringList whenTexts() const { return texts(whenItems_); }
    QStringList doTexts() const { return texts(doItems_); }
    // The chip of a row item by its key (RoutineCardModel::Entry::key()).
    Token* chip(const QString& key) const;
    // The editor inside an editable chip's popover.
    QWidget* editor(const QString& key) const;
    Popover* renamePopover() const { return rename_; }
    TField* renameField() const { return renameField_; }
    AppPicker* picker() const { return picker_; }
    std::optional<PickTarget> picking() const { return picking_; }

    // The "+ Add" menus and "…", made afresh as they would open now.
    QMenu* whenMenu();
    QMenu* doMenu();
    QMenu* moreMenu();
    // A "+ Add" item.
    void add(Kind item);
    // Opens the application picker for one list.
    void pick(PickTarget target);
    void startRenaming();
    void deleteRoutine();

    // "On until 10:00" (the end in the locale's short time) or "On now".
    static QString runningText(std::optional<double> until);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Item {
        QWidget* widget = nullptr;
        QString text;
        std::function<void(const FocusRoutine&)> refresh;
    };
    using Items = QList<std::pair<QString, Item>>;

    QWidget* buildHeader();
    void refreshHeader(const FocusRoutine& routine);
    void refreshRow(FlowRow* row, Items& items, const QList<RoutineCardModel::Entry>& entries, QWidget* add,
                    const FocusRoutine& routine);
    Item makeItem(const RoutineCardModel::Entry& entry, const FocusRoutine& routine);
    using Refresh = std::function<void(const FocusRoutine&)>;
    // The editor a chip opens, with how it follows the routine.
    QWidget* makeEditor(const RoutineCardModel::Entry& entry, const FocusRoutine& routine, Refresh& refresh);
    QWidget* makeListEditor(RoutineCardModel::PickTarget target, Refresh& refresh);
    QWidget* makeLayoutPicker(Refresh& refresh);
    QWidget* makeWorkspacePicker(Refresh& refresh);
    QMenu* menuOf(const QList<RoutineCardModel::MenuItem>& items);
    static QStringList texts(const Items& items);

    RoutineBinding binding_;
    ThemedLabel* name_;
    Popover* rename_;
    TField* renameField_;
    ThemedLabel* runningText_;
    TButton* stop_;
    TButton* start_;
    PlainButton* more_;
    TSwitch* switch_;
    FlowRow* when_;
    FlowRow* do_;
    PlainButton* whenAdd_;
    PlainButton* doAdd_;
    Items whenItems_;
    Items doItems_;
    QGraphicsOpacityEffect* dim_;
    QPointer<AppPicker> picker_;
    std::optional<PickTarget> picking_;
    bool enabled_ = true;
};

} // namespace tavrin
