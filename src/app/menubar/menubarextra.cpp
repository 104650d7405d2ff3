#include "app/menubar/menubarextra.h"

#include "app/menubar/nowview.h"
#include "design/menubaricon.h"
#include "design/openwhileactive.h"
#include "platform/clock.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace tavrin {

namespace {
constexpr int kGap = 4;
} // namespace

MenuBarExtra::MenuBarExtra(MenuBarServices services, IconPlace place, QObject* parent)
    : QObject(parent),
      clock_(services.clock)
{
    view_ = new NowView(services);
    holdView();
    connect(view_, &NowView::dismissed, this, &MenuBarExtra::close);

    // On X11 the icon is made even without a tray: Qt docks it as soon as a
    // tray appears (a panel started after Tavrin), and again when the tray
    // restarts.
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (x11 || QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = std::make_unique<QSystemTrayIcon>(MenuBarIcon::icon());
        tray_->setToolTip(QStringLiteral("Tavrin"));
        connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
            if (why != QSystemTrayIcon::Trigger)
                return;
            const QRect icon = tray_->geometry();
            toggle(icon.isValid() ? icon : QRect(QCursor::pos(), QSize(1, 1)));
        });
        tray_->show();
    }
    if (place)
        place(MenuBarIcon::icon(), [this](const QRect& anchor) { toggle(anchor); });
}

MenuBarExtra::~MenuBarExtra() { delete popup_; }

void MenuBarExtra::holdView()
{
    QWidget* old = popup_;
    popup_ = new QWidget(nullptr, OpenWhileActive::kFlags);
    OpenWhileActive::install(popup_);
    popup_->installEventFilter(this);
    popup_->setWindowTitle(QStringLiteral("Tavrin"));
    auto* layout = new QVBoxLayout(popup_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    delete old;
}

bool MenuBarExtra::inTray() const { return tray_ && QSystemTrayIcon::isSystemTrayAvailable(); }

void MenuBarExtra::openBesideIcon()
{
    if (isOpen())
        return;
    const QRect icon = inTray() ? tray_->geometry() : QRect();
    if (icon.isValid()) {
        open(icon);
        return;
    }
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    open(QRect(area.right() - kGap, area.top(), 1, 1));
}

bool MenuBarExtra::isOpen() const { return popup_ && popup_->isVisible(); }

void MenuBarExtra::toggle(const QRect& anchor)
{
    if (isOpen())
        close();
    else if (now() - closedAt_ >= kReopenGuard)
        open(anchor);
}

double MenuBarExtra::now() const { return clock_ ? clock_->monotonic() : 0; }

bool MenuBarExtra::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == popup_ && event->type() == QEvent::Hide)
        closedAt_ = now();
    return QObject::eventFilter(watched, event);
}

void MenuBarExtra::open(const QRect& anchor)
{
    if (!popup_ || !view_)
        return;
    if (OpenWhileActive::isStale(popup_))
        holdView();
    view_->bringUpToDate();
    popup_->adjustSize();
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), popup_->size());
    popup_->move(placement(anchor, popup_->sizeHint(), area));
    OpenWhileActive::open(popup_);
}

void MenuBarExtra::close()
{
    if (popup_)
        popup_->hide();
}

QPoint MenuBarExtra::placement(const QRect& anchor, const QSize& size, const QRect& screen)
{
    int x = anchor.right() + 1 - size.width();
    int y = anchor.bottom() + 1 + kGap;
    if (y + size.height() > screen.bottom() + 1 && anchor.top() - kGap - size.height() >= screen.top())
        y = anchor.top() - kGap - size.height();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    y = std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    return {x, y};
}

} // namespace tavrin
