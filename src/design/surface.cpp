#include "design/surface.h"

#include <QVBoxLayout>

namespace tavrin {

Surface::Surface(QWidget* parent) : DesignWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void Surface::setContent(QWidget* content)
{
    if (content_ == content)
        return;
    if (content_) {
        layout()->removeWidget(content_);
        delete content_;
    }
    content_ = content;
    if (content)
        layout()->addWidget(content);
    update();
}

void Surface::setOutsets(const QMargins& outsets)
{
    outsets_ = QMargins(std::max(0, outsets.left()), std::max(0, outsets.top()), std::max(0, outsets.right()),
                        std::max(0, outsets.bottom()));
    layout()->setContentsMargins(outsets_);
    update();
}

QRectF Surface::shapeRect() const
{
    if (content_) {
        if (const auto* inner = qobject_cast<const Surface*>(content_.data()))
            return inner->shapeRect().translated(inner->geometry().topLeft());
        return QRectF(content_->geometry());
    }
    return QRectF(rect().marginsRemoved(outsets_));
}

bool Surface::coversShapeOpaquely() const
{
    const auto* inner = qobject_cast<const Surface*>(content_.data());
    return inner && inner->coversShapeOpaquely();
}

} // namespace tavrin
