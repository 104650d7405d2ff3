#pragma once

#include <QWidget>
#include <functional>

namespace tavrin {

class TButton;

// The blur prompt's capsule: a check mark, "<app> is blurred. Blur it
// whenever you share your screen?" on one line, and "Yes" and "No", on
// capsule glass inside a 20-point transparent margin. Each button hands its
// answer to `onAnswer`.
class PromptView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMargin = 20;
    static constexpr qreal kFontSize = 12.5;

    PromptView(const QString& app, std::function<void(bool)> onAnswer, QWidget* parent = nullptr);

    QString app() const { return app_; }
    // The message after the check mark.
    static QString message(const QString& app);
    TButton* yesButton() const { return yes_; }
    TButton* noButton() const { return no_; }

private:
    QString app_;
    TButton* yes_;
    TButton* no_;
};

} // namespace tavrin
