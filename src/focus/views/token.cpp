#include "focus/views/token.h"

#include "design/designfont.h"
#include "design/themedlabel.h"
#include "focus/views/removebutton.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace tavrin {

Token::Token(const QString& text, std::function<void()> remove, QWidget* parent) : DesignWidget(parent)
{
    label_ = new ThemedLabel(text, TTheme::Colour::ink, DesignFont::system(kFontSize));
    build(label_, text, std::move(remove));
}

Token::Token(QWidget* textWidget, const QString& text, std::function<void()> remove, QWidget* parent)
    : DesignWidget(parent)
{
    build(textWidget, text, std::move(remove));
}

void Token::build(QWidget* textWidget, const QString& text, std::function<void()> remove)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kPadding);
    row->setSpacing(kSpacing);
    row->addWidget(textWidget, 0, Qt::AlignVCenter);
    remove_ = new RemoveButton(text);
    row->addWidget(remove_, 0, Qt::AlignVCenter);
    connect(remove_, &QAbstractButton::clicked, this, [remove = std::move(remove)] {
        if (remove)
            remove();
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString Token::text() const { return label_ ? label_->text() : QString(); }

void Token::setText(const QString& text)
{
    if (label_ && label_->text() != text) {
        label_->setText(text);
        remove_->setItem(text);
    }
}

void Token::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    QPainterPath capsule;
    capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
    painter.fillPath(capsule, t().fillHover);
}

} // namespace tavrin
