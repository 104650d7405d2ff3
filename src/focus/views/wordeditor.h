#pragma once

#include "focus/views/binding.h"

#include <QWidget>

namespace tavrin {

class TField;

// The editor of one calendar-event word: what it does, and the word,
// written on every keystroke.
class WordEditor : public QWidget {
    Q_OBJECT
public:
    explicit WordEditor(Binding<QString> word, QWidget* parent = nullptr);

    TField* field() const { return field_; }
    // Shows the word as it is now (a field being typed in keeps its place).
    void refresh();

private:
    Binding<QString> word_;
    TField* field_;
};

} // namespace tavrin
