#pragma once

#include "workspaces/planrequest.h"

#include <QLineEdit>

namespace tavrin {

class EnvironmentWatcher;

// The command bar's input line: a plain one-line field in the theme's ink
// with the accent as its tint. Return, Tab and Escape are reported, not
// acted on; Tab never moves the focus out of the field. It holds at most
// `kMaxCharacters` characters (as a person counts them): typing stops there
// and a longer paste or request is cut to its beginning.
class TaskField : public QLineEdit {
    Q_OBJECT
public:
    static constexpr qreal kFontSize = 17;
    // Room the line edit keeps beside the text for its cursor, points.
    static constexpr qreal kEdge = 4;
    static constexpr int kMaxCharacters = PlanRequest::kMaxRequestLength;

    explicit TaskField(QWidget* parent = nullptr);

    // Puts a request that was not typed here (the model's) into the field,
    // showing it from its first letter.
    void showRequest(const QString& text);

signals:
    void returnPressed(Qt::KeyboardModifiers modifiers, bool autoRepeat);
    void tabPressed();
    void escapePressed();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void alignStart();
};

} // namespace tavrin
