#pragma once

#include <QWidget>
#include <functional>

namespace tavrin {

class ElidedLabel;
class TButton;
class TGlass;

// The arranged toast's capsule: a check mark, the message on one line, and
// "Undo", on capsule glass inside a 20-point transparent margin.
class ToastView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMargin = 20;
    static constexpr qreal kFontSize = 12.5;

    ToastView(const QString& text, std::function<void()> onUndo, QWidget* parent = nullptr);

    QString text() const;
    // The view's size for a proposed size: its natural size, no larger than
    // proposed (the message is cut to fit).
    QSize sizeThatFits(QSize proposal) const;

private:
    ElidedLabel* message_;
    TButton* undo_;
};

} // namespace tavrin
