#pragma once

#include "focus/views/token.h"

namespace tavrin {

class PlainButton;
class Popover;

// A chip whose text is a button that opens `editor` in a popover (arrow on
// its bottom edge); the cross calls `remove` and opens nothing. The editor
// edits its item itself; the chip owns it.
class EditToken : public Token {
    Q_OBJECT
public:
    EditToken(const QString& text, std::function<void()> remove, QWidget* editor, QWidget* parent = nullptr);

    QString text() const override;
    void setText(const QString& text) override;

    QWidget* editor() const { return editor_; }
    Popover* popover() const { return popover_; }
    // Whether the editor shows.
    bool isOpen() const { return open_; }
    void open();

signals:
    void openChanged(bool open);

private:
    PlainButton* button_;
    QWidget* editor_;
    Popover* popover_;
    bool open_ = false;
};

} // namespace tavrin
