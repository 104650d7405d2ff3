#include "focus/views/edittoken.h"

#include "design/designfont.h"
#include "focus/views/plainbutton.h"
#include "focus/views/popover.h"
#include "focus/views/removebutton.h"

namespace tavrin {

EditToken::EditToken(const QString& text, std::function<void()> remove, QWidget* editor, QWidget* parent)
    : Token(new PlainButton(text, TTheme::Colour::ink, DesignFont::system(kFontSize)), text, std::move(remove), parent),
      editor_(editor)
{
    button_ = findChild<PlainButton*>();
    popover_ = new Popover(editor_, button_);
    connect(button_, &QAbstractButton::clicked, this, &EditToken::open);
    connect(popover_, &Popover::closed, this, [this] {
        open_ = false;
        emit openChanged(false);
    });
}

QString EditToken::text() const { return button_->text(); }

void EditToken::setText(const QString& text)
{
    if (button_->text() == text)
        return;
    button_->setText(text);
    button_->updateGeometry();
    removeButton()->setItem(text);
}

void EditToken::open()
{
    open_ = true;
    popover_->open();
    emit openChanged(true);
}

} // namespace tavrin
