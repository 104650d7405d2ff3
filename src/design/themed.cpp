#include "design/themed.h"

#include "design/environment.h"

#include <QVBoxLayout>

namespace tavrin {

Themed::Themed(QWidget* content, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (content)
        setContent(content);
    if (Appearance* a = Environment::appearance())
        connect(a, &Appearance::colorSchemeChanged, this, [this] { Environment::notify(this); });
}

void Themed::setContent(QWidget* content)
{
    if (content_ == content)
        return;
    if (content_) {
        layout()->removeWidget(content_);
        content_->deleteLater();
    }
    content_ = content;
    if (content) {
        layout()->addWidget(content);
        Environment::notify(content);
    }
}

} // namespace tavrin
