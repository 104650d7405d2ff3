#include "design/designwidget.h"

namespace tavrin {

DesignWidget::DesignWidget(QWidget* parent) : QWidget(parent)
{
    new EnvironmentWatcher(this, [this] { environmentChanged(); });
}

} // namespace tavrin
