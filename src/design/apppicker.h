#pragma once

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QWidget>
#include <functional>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;

namespace tavrin {

class AppPickerRow;
class TButton;
class TField;

// The searchable chooser of installed applications, shown as a sheet
// wherever the user names applications. It hands names to `onPick` and
// stores nothing. With `multiple` false one click picks one application and
// closes; with it true rows toggle a check mark and "Add N" hands over every
// marked name, in plain string order. Closing emits `dismissed`; the sheet
// that hosts the picker goes away then.
class AppPicker : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 380;
    static constexpr int kListHeight = 320;
    // The program's own name, never listed.
    static const QString kSelfName;

    AppPicker(const QString& title, const QSet<QString>& exclude, bool multiple,
              std::function<void(const QString&)> onPick, QWidget* parent = nullptr);

    // The names of the installed and running applications (regular ones,
    // with a name), without this program, sorted ignoring case. The first
    // call on a desktop reads its application folders on the calling thread;
    // later calls answer the same list.
    static QStringList installedApps();

    // The names shown now: installedApps() without those excluded, then
    // those that contain the search text (ignoring case).
    QStringList apps() const;
    QString query() const;
    void setQuery(const QString& query);
    const QSet<QString>& picked() const { return picked_; }

    // A click on the row of `name`.
    void click(const QString& name);
    // Return in the search field: picks the first name shown (one at a time
    // only).
    void submit();
    // The add button (several at a time): hands over the marked names.
    void addPicked();
    void cancel();

    TField* searchField() const { return field_; }
    // The add button; none when picking one at a time.
    TButton* addButton() const { return add_; }
    AppPickerRow* row(const QString& name) const { return rows_.value(name); }
    // The text shown when nothing matches ("No apps match “x”.").
    static QString noMatchText(const QString& query);

    // Shows `picker` as a sheet over the window of `over` (modal to it) and
    // removes the sheet when the picker is dismissed.
    static void present(AppPicker* picker, QWidget* over);

signals:
    void dismissed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* appList();
    QHBoxLayout* buttonRow();
    void filter();
    void refreshAdd();
    void close();

    QSet<QString> exclude_;
    bool multiple_;
    std::function<void(const QString&)> onPick_;
    QSet<QString> picked_;
    QStringList offered_; // installedApps() without the excluded names
    TField* field_;
    QVBoxLayout* list_;
    QHash<QString, AppPickerRow*> rows_;
    QLabel* noMatch_;
    TButton* add_ = nullptr;
};

} // namespace tavrin
