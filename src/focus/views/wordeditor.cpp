#include "focus/views/wordeditor.h"

#include "design/tfield.h"
#include "focus/views/editorparts.h"

#include <QVBoxLayout>

namespace tavrin {

WordEditor::WordEditor(Binding<QString> word, QWidget* parent) : QWidget(parent), word_(std::move(word))
{
    QVBoxLayout* column = EditorParts::column(this, 0, 8);
    column->addWidget(EditorParts::text(tr("Starts during calendar events with this word in the title")));
    field_ = new TField;
    field_->setPlaceholderText(tr("Focus"));
    field_->setFixedWidth(220);
    column->addWidget(field_);
    // Every change is written, also one made by assistive technology; the
    // word shown again after a write is the same text and writes nothing.
    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) { word_.set(text); });
    refresh();
}

void WordEditor::refresh()
{
    const QString word = word_.get();
    if (field_->text() != word)
        field_->setText(word);
}

} // namespace tavrin
