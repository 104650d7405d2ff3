#pragma once

#include <QString>
#include <QWidget>

namespace tavrin {

class ShareSafe;
class ShortcutStore;
class ShortcutAction;

// What stands in the middle of a veil: a lock, the application's name with
// why its window is hidden, and how to show it again. An application hidden
// by hand says so and names the hide shortcut; a private one names the
// Share-safe shortcut. The wording is read afresh whenever it is drawn.
class VeilLabel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kInset = 12;
    static constexpr int kSpacing = 6;

    // Names the keys bound in `shortcuts`. `share` and `shortcuts` must
    // outlive the label.
    VeilLabel(const QString& app, const ShareSafe& share, const ShortcutStore& shortcuts, QWidget* parent = nullptr);

    const QString& app() const { return app_; }
    // "Mail is hidden while you share", or "Mail is hidden" by hand.
    QString title() const;
    // "Press Ctrl+Alt+Shift+P to show it", or "Press Ctrl+Alt+P in Mail to show it" by hand.
    QString hint() const;
    // The lock and both lines with their margins.
    QSize sizeHint() const override;

    // An action's bound keys as shown ("Ctrl+Alt+Shift+P"); empty when it has none.
    QString shortcutText(const ShortcutAction& action) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool byHand() const;
    QColor foreground() const;

    QString app_;
    const ShareSafe& share_;
    const ShortcutStore& shortcuts_;
};

} // namespace tavrin
