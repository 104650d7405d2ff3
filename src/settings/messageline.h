#pragma once

#include "design/keymsg.h"

namespace tavrin {

// A pane's own status line: a KeyMsg that is hidden while it has nothing to
// say.
class MessageLine : public KeyMsg {
    Q_OBJECT
public:
    explicit MessageLine(QWidget* parent = nullptr);

    void say(const QString& text, Tone tone);
    void clear();
};

} // namespace tavrin
