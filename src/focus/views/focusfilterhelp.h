#pragma once

#include <QWidget>

namespace tavrin {

class ThemedLabel;
class TButton;

// The editor of the "Mac Focus" trigger: how to make a desktop Focus name
// this routine, and a button to the desktop's Focus settings.
class FocusFilterHelp : public QWidget {
    Q_OBJECT
public:
    static inline const QString kFocusSettings =
        QStringLiteral("x-apple.systempreferences:com.apple.Focus-Settings.extension");

    explicit FocusFilterHelp(const QString& routineName, QWidget* parent = nullptr);

    void setRoutineName(const QString& name);
    ThemedLabel* steps() const { return steps_; }
    TButton* openButton() const { return open_; }

private:
    ThemedLabel* steps_;
    TButton* open_;
};

} // namespace tavrin
