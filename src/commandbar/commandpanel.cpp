#include "commandbar/commandpanel.h"

#include "design/stickywindow.h"
#include "design/windowtranslucency.h"

#include <QEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace tavrin {

CommandPanel::CommandPanel(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    WindowTranslucency::install(this);
    StickyWindow::install(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void CommandPanel::setContent(QWidget* content)
{
    if (content_ == content)
        return;
    if (content_) {
        // Later: the old view may be the one whose action got us here.
        layout()->removeWidget(content_);
        content_->hide();
        content_->deleteLater();
    }
    content_ = content;
    if (content_) {
        if (content_->parentWidget())
            content_->parentWidget()->layout()->removeWidget(content_);
        content_->setParent(this);
        layout()->addWidget(content_);
        content_->show();
    }
}

void CommandPanel::makeKeyAndOrderFront()
{
    show();
    raise();
    makeKey();
}

void CommandPanel::makeKey()
{
    if (!isVisible())
        return;
    activateWindow();
}

void CommandPanel::orderOut()
{
    dragging_ = false;
    hide();
}

bool CommandPanel::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate && isVisible())
        emit resignedKey();
    return QWidget::event(event);
}

void CommandPanel::mousePressEvent(QMouseEvent* event)
{
    if (!WindowTranslucency::clickRegion(this).contains(event->position().toPoint())) {
        // The margin around the card (its glow, its shadow) is not the panel.
        event->ignore();
        return;
    }
    if (movable_ && event->button() == Qt::LeftButton) {
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - pos();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CommandPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_) {
        move(event->globalPosition().toPoint() - dragOffset_);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void CommandPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace tavrin
