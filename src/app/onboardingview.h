#pragma once

#include "app/onboardingcontent.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace tavrin {

class AppState;
class StepRow;

// The first-run window's content: the header, the three steps and the
// footer with its one button, which runs `close`. It follows the state as
// it changes.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 560;
    static inline const QString kDoneKey = QStringLiteral("onboardingDone");

    OnboardingView(AppState& state, std::function<void()> close, QWidget* parent = nullptr);

    // Opens the one welcome window (made on first use, kept after closing)
    // on the shared state, or brings it forward.
    static void showWindow();
    // Ends the first run: "onboardingDone" is written and the window closed.
    static void finish();
    // The window, once made.
    static QWidget* window();

    OnboardingContent& content() { return content_; }
    const QList<StepRow*>& rows() const { return rows_; }
    QPushButton* footerButton() const { return footerButton_; }

private:
    void refresh();

    OnboardingContent content_;
    std::function<void()> close_;
    QList<StepRow*> rows_;
    QPushButton* footerButton_ = nullptr;
};

} // namespace tavrin
