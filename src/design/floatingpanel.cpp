#include "design/floatingpanel.h"

#include "design/environment.h"
#include "design/stickywindow.h"
#include "design/windowtranslucency.h"
#include "platform/panelwindows.h"

#include <QLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace tavrin {

FloatingPanel::FloatingPanel(QWidget* content, Mouse mouse, const QString& name) : content_(content)
{
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                            | Qt::NoDropShadowWindowHint;
    if (mouse == Mouse::passThrough)
        flags |= Qt::WindowTransparentForInput;
    auto* window = new QWidget(nullptr, flags);
    window->setObjectName(name);
    window->setWindowTitle(name);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAttribute(Qt::WA_NoSystemBackground);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setFocusPolicy(Qt::NoFocus);
    WindowTranslucency::install(window);
    StickyWindow::install(window, true);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (content)
        layout->addWidget(content);
    window_ = window;
}

FloatingPanel::~FloatingPanel() { delete window_.data(); }

bool FloatingPanel::isVisible() const { return window_ && window_->isVisible(); }

Size FloatingPanel::fittingSize()
{
    if (!window_)
        return {};
    window_->layout()->activate();
    QSize size = window_->sizeHint();
    // Content of a fixed width whose text wraps is as tall as it is at that width.
    if (window_->hasHeightForWidth())
        size.setHeight(std::max(size.height(), window_->heightForWidth(size.width())));
    return {double(size.width()), double(size.height())};
}

Rect FloatingPanel::frame() const
{
    if (!window_)
        return {};
    const QRect g = window_->geometry();
    return {double(g.x()), double(g.y()), double(g.width()), double(g.height())};
}

void FloatingPanel::setFrame(const Rect& frame)
{
    if (!window_)
        return;
    const int left = int(std::lround(frame.minX())), top = int(std::lround(frame.minY()));
    const int right = int(std::lround(frame.maxX())), bottom = int(std::lround(frame.maxY()));
    window_->setGeometry(left, top, std::max(right - left, 1), std::max(bottom - top, 1));
}

double FloatingPanel::opacity() const { return window_ ? window_->windowOpacity() : 0; }

void FloatingPanel::setOpacity(double opacity)
{
    if (window_)
        window_->setWindowOpacity(opacity);
}

void FloatingPanel::orderFront(const HUDPanel* under)
{
    if (!window_)
        return;
    window_->show();
    const auto* above = dynamic_cast<const FloatingPanel*>(under);
    if (above && above->isVisible() && stackUnder(*above->window_))
        return;
    window_->raise();
    if (above && above->isVisible())
        above->window_->raise();
}

bool FloatingPanel::stackUnder(QWidget& above)
{
    // Raising the other panel afterwards is not enough where the window
    // manager stacks a window it has only just taken on above everything.
    return Environment::panelWindows().stackUnder(window_->winId(), above.winId());
}

void FloatingPanel::orderOut()
{
    if (window_)
        window_->hide();
}

} // namespace tavrin
