#pragma once

#include "design/designwidget.h"

#include <QString>
#include <functional>

class QHBoxLayout;

namespace tavrin {

class RemoveButton;
class ThemedLabel;

// A capsule chip: its text on one line and a small cross that calls
// `remove` (the owner takes the item out of its list there).
class Token : public DesignWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 5;
    static constexpr QMargins kPadding{9, 3, 7, 3};
    static constexpr qreal kFontSize = 12.5;

    Token(const QString& text, std::function<void()> remove, QWidget* parent = nullptr);

    virtual QString text() const;
    virtual void setText(const QString& text);
    RemoveButton* removeButton() const { return remove_; }

protected:
    // For chips whose text is a control of its own.
    Token(QWidget* textWidget, const QString& text, std::function<void()> remove, QWidget* parent);
    void paintEvent(QPaintEvent* event) override;

private:
    void build(QWidget* textWidget, const QString& text, std::function<void()> remove);

    ThemedLabel* label_ = nullptr;
    RemoveButton* remove_ = nullptr;
};

} // namespace tavrin
