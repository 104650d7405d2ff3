#pragma once

#include "app/onboarding/onboardingcontent.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QHBoxLayout;
class QVBoxLayout;

namespace tavrin {

class AppState;
class StepRow;
class TButton;

// The first-run window's root: the product mark and header, the three
// steps and the footer with its one button (Return), which runs `close`, in
// the theme of the desktop's colour scheme. It follows the state as it
// changes. As its own window it has no window-manager title bar: a close
// control (or Escape) closes it and dragging its background moves it.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 560;
    static inline const QString kDoneKey = QStringLiteral("onboardingDone");

    OnboardingView(AppState& state, std::function<void()> close, QWidget* parent = nullptr);

    // The welcome window on `state`, titled and placed, not yet shown; its
    // footer button runs `close` (see OnboardingWindow, which keeps it).
    static std::unique_ptr<OnboardingView> makeWindow(AppState& state, std::function<void()> close);
    // Shows `window`, in front of other applications' windows.
    static void bringForward(OnboardingView& window);

    OnboardingContent& content() { return content_; }
    const QList<StepRow*>& rows() const { return rows_; }
    TButton* footerButton() const { return footerButton_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The window's parts, top to bottom, their widgets made in `body`.
    QHBoxLayout* titleBar(QWidget* body);
    QVBoxLayout* heading(QWidget* body);
    QWidget* footer(QWidget* body);
    void refresh();
    void fitHeight();

    OnboardingContent content_;
    std::function<void()> close_;
    QList<StepRow*> rows_;
    TButton* footerButton_ = nullptr;
    // Where the pointer grabbed the window, relative to its position, while
    // the window follows the pointer itself.
    std::optional<QPoint> dragFrom_;
};

} // namespace tavrin
