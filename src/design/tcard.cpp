#include "design/tcard.h"

#include "design/squircle.h"

#include <QPainter>
#include <QVBoxLayout>

namespace tavrin {

TCard::TCard(const QMargins& padding, QWidget* parent) : DesignWidget(parent), layout_(new QVBoxLayout(this))
{
    layout_->setContentsMargins(padding);
    layout_->setSpacing(kSpacing);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
}

QMargins TCard::padding() const { return layout_->contentsMargins(); }

void TCard::addWidget(QWidget* item)
{
    const bool grows = item->sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag;
    layout_->addWidget(item, 0, grows ? Qt::Alignment() : Qt::AlignLeft);
}

void TCard::addLayout(QLayout* layout) { layout_->addLayout(layout); }

void TCard::paintEvent(QPaintEvent*)
{
    const TTheme theme = t();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Squircle::fill(painter, rect(), kRadius, theme.fill);
    Squircle::hairline(painter, rect(), kRadius, theme.line);
}

} // namespace tavrin
