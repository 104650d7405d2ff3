#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace tavrin {

// The floating panel of the command bar and of the adjust overlay: a
// frameless, translucent window that stays above normal windows, is left out
// of the task bar, and takes the keyboard when it is made key (it never
// becomes the application's main window). It hosts one view, replaced on
// every show so that each show starts with fresh view state; it is never
// closed, only ordered out.
class CommandPanel : public QWidget {
    Q_OBJECT
public:
    explicit CommandPanel(QWidget* parent = nullptr);

    // The hosted view, laid out to fill the panel; the previous one is deleted.
    QWidget* content() const { return content_; }
    void setContent(QWidget* content);

    // Shows the panel in front and gives it the keyboard.
    void makeKeyAndOrderFront();
    // Makes it the active window again (it may have lost the keyboard while
    // it was being shown).
    void makeKey();
    void orderOut();

    // A press on the panel's background (not on a control) drags the panel;
    // the margin around its card takes no clicks.
    void setMovableByBackground(bool movable) { movable_ = movable; }

signals:
    // The panel lost the keyboard (another window was activated).
    void resignedKey();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointer<QWidget> content_;
    bool movable_ = false;
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace tavrin
