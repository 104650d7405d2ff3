#include "commandbar/rowbutton.h"

#include "commandbar/rowbuttonstyle.h"
#include "design/environment.h"

#include <QPainter>
#include <QVBoxLayout>

namespace tavrin {

RowButton::RowButton(QWidget* label, QWidget* parent) : HoverButton(parent), label_(label)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label_);
    // Clicks anywhere on the label are the row's.
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

QSize RowButton::sizeHint() const { return layout()->sizeHint(); }
QSize RowButton::minimumSizeHint() const { return layout()->minimumSize(); }

void RowButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    RowButtonStyle::paint(painter, QRectF(rect()), Environment::theme(this), isDown(), hovered());
}

} // namespace tavrin
