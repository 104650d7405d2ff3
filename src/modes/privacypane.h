#pragma once

#include "design/apppicker.h"

#include <QPointer>
#include <QSet>
#include <QWidget>

class QVBoxLayout;

namespace tavrin {

class Kbd;
class ShareSafe;
class ShortcutStore;
class TCard;
class ThemedLabel;

// The list of private applications, the ones Share-safe blurs while the
// screen is shared: each with where it came from and a way to remove it,
// "Add app…" to pick one, and a card that explains the hide shortcut and
// names the applications blurred by hand now. It changes the list only
// through Share-safe and redraws whenever Share-safe announces a change (or
// the hide shortcut's key changes). The Settings window shows it under the
// Privacy pane's header.
class PrivacyPane : public QWidget {
    Q_OBJECT
public:
    // Names the hide action's keys as bound in `shortcuts`. `share` and
    // `shortcuts` must outlive the pane.
    PrivacyPane(ShareSafe& share, const ShortcutStore& shortcuts, QWidget* parent = nullptr);

    // The line under a name: "Built in", "Added with Ctrl+Alt+P" (or "Added with "
    // when the hide action has no key), or "Added by you".
    QString origin(const QString& name) const;
    // "Blurred now: Arc, Zoom" for applications blurred by hand; empty when
    // there are none.
    static QString blurredNow(const QSet<QString>& names);
    // The hide action's key as it shows ("Ctrl+Alt+P"), empty when it has none.
    QString hideShortcut() const;

    void add(const QString& name);
    void remove(const QString& name);
    // "Add app…": opens the picker as a sheet over this pane; the one shown,
    // while it is.
    void openPicker();
    AppPicker* picker() const { return picker_; }

    // The names listed, in their order.
    QStringList listed() const;
    // The blurred-now line as shown; empty when it is absent.
    QString blurredNowShown() const;

private:
    // The card of private apps, headed by "Add app…"; sets `listCard_` and `rows_`.
    TCard* makeListCard();
    // The card that explains the hide shortcut; sets `kbd_` and `blurred_`.
    TCard* makeShortcutCard();
    // Redraws on Share-safe's changes and when the hide key or the apps it added change.
    void followChanges();
    void fillList();
    void refreshShortcut();
    QWidget* makeRow(const QString& name);

    ShareSafe& share_;
    const ShortcutStore& shortcuts_;
    TCard* listCard_;
    QVBoxLayout* rows_;
    Kbd* kbd_;
    ThemedLabel* blurred_;
    QPointer<AppPicker> picker_;
};

} // namespace tavrin
