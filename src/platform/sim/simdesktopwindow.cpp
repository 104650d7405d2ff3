#include "platform/sim/simdesktopwindow.h"

#include "platform/linuxwords.h"
#include "platform/qtkeytranslator.h"
#include "platform/sim/simdesktop.h"
#include "platform/workspace.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace tavrin {

namespace {
constexpr int kMargin = 16;
constexpr int kStatusHeight = 28;
constexpr QSize kMinimumSize(720, 360);
// How much of the screen's available area the window opens on.
constexpr double kScreenShare = 0.9;

QColor appColour(const QString& name)
{
    // A steady hue per application name.
    const uint hue = qHash(name) % 360;
    return QColor::fromHsl(int(hue), 120, 150);
}

// What a settings page is for, as the status line names it: the addresses
// keep the names a settings program of another system gives its pages.
QString settingsPageName(const QString& page)
{
    if (page == Workspace::kDesktopSettingsPage)
        return QStringLiteral("windows and edge tiling");
    if (page.endsWith(QLatin1Char('?') + Workspace::kAccessibilitySettingsQuery))
        return QStringLiteral("accessibility");
    if (page == Workspace::kOnlineAccountsPage)
        return QStringLiteral("online accounts");
    if (page.endsWith(QLatin1String("Privacy_Calendars")))
        return QStringLiteral("calendar access");
    if (page.endsWith(QLatin1String("Privacy_Automation")))
        return QStringLiteral("automation");
    return QStringLiteral("start page");
}

// The keys of an event in running text: "Ctrl+Alt+←".
QString keyLabel(const QKeyEvent* event)
{
    QStringList keys = LinuxWords::modifierNames(QtKeyTranslator::carbonModifiers(event->modifiers()));
    switch (event->key()) {
    case Qt::Key_Left: keys << QStringLiteral("←"); break;
    case Qt::Key_Right: keys << QStringLiteral("→"); break;
    case Qt::Key_Up: keys << QStringLiteral("↑"); break;
    case Qt::Key_Down: keys << QStringLiteral("↓"); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: keys << QStringLiteral("↩"); break;
    case Qt::Key_Space: keys << QStringLiteral("Space"); break;
    default: keys << QKeySequence(event->key()).toString(); break;
    }
    return LinuxWords::runningText(keys);
}
// The modifiers held once this event has happened: a modifier key's own
// event may report the state from before it.
Qt::KeyboardModifiers heldModifiers(const QKeyEvent* event, bool pressed)
{
    Qt::KeyboardModifiers held = event->modifiers();
    Qt::KeyboardModifier own = Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Control: own = Qt::ControlModifier; break;
    case Qt::Key_Alt: own = Qt::AltModifier; break;
    case Qt::Key_Shift: own = Qt::ShiftModifier; break;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R: own = Qt::MetaModifier; break;
    default: return held;
    }
    return pressed ? (held | own) : (held & ~own);
}
} // namespace

SimDesktopWindow::SimDesktopWindow(SimDesktop& desktop, QWidget* parent) : QWidget(parent), desktop_(desktop)
{
    setWindowTitle(QStringLiteral("Simulated desktop"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setMinimumSize(kMinimumSize);
    const QScreen* shownOn = screen();
    const QRect available = shownOn ? shownOn->availableGeometry() : QRect(0, 0, 1280, 560);
    resize(openingSize(available.size()));
    move(available.center() - rect().center());
    connect(&desktop_, &SimDesktop::changed, this, qOverload<>(&QWidget::update));
}

QMargins SimDesktopWindow::desktopMargins() const
{
    // Room above the displays for the menu bar, which is taller than its
    // share of a display drawn small.
    const int barRoom = QFontMetrics(menuBarFont()).height() + 6;
    return {kMargin, kMargin + barRoom, kMargin, kMargin + kStatusHeight};
}

QRect SimDesktopWindow::desktopArea() const { return rect().marginsRemoved(desktopMargins()); }

QSize SimDesktopWindow::openingSize(const QSize& available) const
{
    const QSize room(int(available.width() * kScreenShare), int(available.height() * kScreenShare));
    const QMargins m = desktopMargins();
    const Rect bounds = displaysBounds();
    const double aspect = std::max(bounds.width, 1.0) / std::max(bounds.height, 1.0);
    const int chromeX = m.left() + m.right(), chromeY = m.top() + m.bottom();
    int width = room.width();
    int height = int(std::lround((width - chromeX) / aspect)) + chromeY;
    if (height > room.height()) {
        height = room.height();
        width = int(std::lround((height - chromeY) * aspect)) + chromeX;
    }
    return QSize(width, height).expandedTo(kMinimumSize);
}

int SimDesktopWindow::labelPixels() const
{
    const double titleBar = SimDesktop::kTitleBarHeight * mapping().scale;
    return int(std::clamp(titleBar * 0.6, 11.0, 16.0));
}

Rect SimDesktopWindow::displaysBounds() const
{
    const auto& displays = desktop_.displays();
    if (displays.empty())
        return {};
    double l = displays.front().frame.minX(), t = displays.front().frame.minY();
    double r = displays.front().frame.maxX(), b = displays.front().frame.maxY();
    for (const auto& d : displays) {
        l = std::min(l, d.frame.minX());
        t = std::min(t, d.frame.minY());
        r = std::max(r, d.frame.maxX());
        b = std::max(b, d.frame.maxY());
    }
    return Rect{l, t, r - l, b - t};
}

SimDesktopWindow::Mapping SimDesktopWindow::mapping() const
{
    if (desktop_.displays().empty())
        return {};
    const Rect bounds = displaysBounds();
    const double l = bounds.x, t = bounds.y;
    const QRect area = desktopArea();
    const double w = std::max(bounds.width, 1.0), h = std::max(bounds.height, 1.0);
    const double scale = std::min(area.width() / w, area.height() / h);
    Mapping m;
    m.scale = scale;
    m.offsetX = area.left() + (area.width() - w * scale) / 2 - l * scale;
    m.offsetY = area.top() + (area.height() - h * scale) / 2 - t * scale;
    return m;
}

QPointF SimDesktopWindow::toWidget(Point p) const
{
    const Mapping m = mapping();
    return {m.offsetX + p.x * m.scale, m.offsetY + p.y * m.scale};
}

Point SimDesktopWindow::toScreen(QPointF p) const
{
    const Mapping m = mapping();
    return {(p.x() - m.offsetX) / m.scale, (p.y() - m.offsetY) / m.scale};
}

QRectF SimDesktopWindow::toWidget(const Rect& r) const
{
    const Mapping m = mapping();
    return {m.offsetX + r.x * m.scale, m.offsetY + r.y * m.scale, r.width * m.scale, r.height * m.scale};
}

Rect SimDesktopWindow::shownAt(const Rect& area) const
{
    const QRectF drawn = toWidget(area);
    const QPointF origin = mapToGlobal(drawn.topLeft());
    return Rect{origin.x(), origin.y(), drawn.width(), drawn.height()};
}

Rect SimDesktopWindow::screenArea() const
{
    const QScreen* s = screen();
    const QRect r = s ? s->availableGeometry() : QRect(mapToGlobal(QPoint()), size());
    return Rect{double(r.x()), double(r.y()), double(r.width()), double(r.height())};
}

QString SimDesktopWindow::statusLine() const
{
    QStringList parts;
    const SimApp* front = desktop_.frontmostApp();
    parts << QStringLiteral("Frontmost: %1").arg(front ? front->name : QStringLiteral("none"));
    parts << (desktop_.isTrusted() ? QStringLiteral("Accessibility: granted")
                                   : QStringLiteral("Accessibility: not granted"));
    QStringList hidden, minimised;
    for (const auto& app : desktop_.apps())
        if (app.hidden)
            hidden << app.name;
    for (const auto& w : desktop_.windows())
        if (w.minimised)
            minimised << w.title;
    if (!hidden.isEmpty())
        parts << QStringLiteral("Hidden: %1").arg(hidden.join(QStringLiteral(", ")));
    if (!minimised.isEmpty())
        parts << QStringLiteral("Minimised: %1").arg(minimised.join(QStringLiteral(", ")));
    if (!lastKey_.isEmpty())
        parts << QStringLiteral("Last key: %1").arg(lastKey_);
    // The simulated desktop has no settings window: say which page opened.
    if (!desktop_.settingsOpened().isEmpty())
        parts << QStringLiteral("Settings opened: %1").arg(settingsPageName(desktop_.settingsOpened().last()));
    if (const auto tiling = desktop_.edgeTiling())
        parts << (*tiling ? QStringLiteral("Edge tiling: on") : QStringLiteral("Edge tiling: off"));
    return parts.join(QStringLiteral("   ·   "));
}

void SimDesktopWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(30, 32, 36));

    QFont small = font();
    small.setPixelSize(labelPixels());
    p.setFont(small);

    // Displays, with the menu bar on the first and a dock where there is one.
    const auto& displays = desktop_.displays();
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const SimDisplay& d = displays[i];
        const QRectF frame = toWidget(d.frame);
        QLinearGradient wallpaper(frame.topLeft(), frame.bottomRight());
        wallpaper.setColorAt(0, QColor(52, 72, 104));
        wallpaper.setColorAt(1, QColor(36, 44, 66));
        p.fillRect(frame, wallpaper);
        p.setPen(QColor(90, 96, 110));
        p.drawRect(frame);
        if (const auto dock = desktop_.dockFrame(i))
            paintDock(p, toWidget(*dock));
        p.setPen(QColor(200, 205, 215));
        const double line = p.fontMetrics().height();
        p.drawText(QRectF(frame.left(), frame.bottom() - line - 2, frame.width() - 6, line),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("%1  %2×%3").arg(d.name).arg(d.frame.width).arg(d.frame.height));
    }

    // Windows and this process's surfaces, back to front.
    const auto stack = desktop_.stack();
    const SimWindow* focused = desktop_.focusedWindow();
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if (it->window)
            paintWindow(p, *it->window, focused && focused->token == it->window->token);
        else
            paintSurface(p, *it->surface);
    }

    paintMenuBar(p);

    p.setPen(QColor(210, 214, 222));
    p.drawText(QRectF(kMargin, height() - kStatusHeight - 4, width() - 2 * kMargin, kStatusHeight),
               Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(statusLine(), Qt::ElideRight, width() - 2 * kMargin));
}

void SimDesktopWindow::paintWindow(QPainter& p, const SimWindow& w, bool isFocused) const
{
    const Mapping m = mapping();
    const SimApp* app = desktop_.app(w.pid);
    const QString appName = app ? app->name : QString();
    const QRectF r = toWidget(w.frame);
    const double titleHeight = std::min(std::max(SimDesktop::kTitleBarHeight * m.scale, 16.0), r.height());
    QPainterPath shape;
    shape.addRoundedRect(r, 4, 4);
    p.fillPath(shape, QColor(248, 248, 250));
    p.save();
    p.setClipPath(shape);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), titleHeight), appColour(appName));
    p.restore();
    p.setPen(isFocused ? QPen(QColor(10, 132, 255), 2.5) : QPen(QColor(0, 0, 0, 90), 1));
    p.drawPath(shape);
    p.setPen(Qt::black);
    const QString title = w.title.isEmpty() ? appName : appName + QStringLiteral(" — ") + w.title;
    p.drawText(QRectF(r.left() + 6, r.top(), std::max(0.0, r.width() - 12), titleHeight),
               Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(title, Qt::ElideRight, int(std::max(0.0, r.width() - 12))));
    const double line = p.fontMetrics().height();
    if (r.height() > titleHeight + line) {
        p.setPen(QColor(110, 110, 120));
        p.drawText(
            QRectF(r.left() + 6, r.top() + titleHeight + 2, r.width() - 12, line), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("%1, %2  %3×%4").arg(w.frame.x).arg(w.frame.y).arg(w.frame.width).arg(w.frame.height));
    }
}

void SimDesktopWindow::paintDock(QPainter& p, const QRectF& dock) const
{
    p.fillRect(dock, QColor(255, 255, 255, 60));
    // Each application in its slot, by name.
    const QStringList items = desktop_.dockItems();
    const double slot = items.isEmpty() ? 0 : dock.width() / double(items.size());
    p.setPen(QColor(235, 238, 245));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QRectF cell(dock.left() + slot * double(i), dock.top(), slot, dock.height());
        // A long name takes two lines rather than being cut.
        p.drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextWordWrap, items[i]);
    }
}

void SimDesktopWindow::paintSurface(QPainter& p, const SimSurface& s) const
{
    if (!s.content || s.frame.isEmpty())
        return;
    // The content at the surface's size, scaled as the desktop is drawn.
    const QRectF r = toWidget(s.frame);
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / s.frame.width, r.height() / s.frame.height);
    s.content->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
    p.restore();
}

QFont SimDesktopWindow::menuBarFont() const
{
    QFont bold = font();
    bold.setPixelSize(11);
    bold.setBold(true);
    return bold;
}

QRectF SimDesktopWindow::menuBarRect() const
{
    const auto& displays = desktop_.displays();
    if (displays.empty())
        return {};
    // As tall as its label needs, however small the display is drawn; its
    // bottom edge where the display's visible area begins, so that the
    // windows below it never cover it.
    const QRectF frame = toWidget(displays.front().frame);
    const double bottom = frame.top() + SimDesktop::kMenuBarHeight * mapping().scale;
    const double height = std::max(bottom - frame.top(), QFontMetricsF(menuBarFont()).height() + 6);
    return QRectF(frame.left(), bottom - height, frame.width(), height);
}

void SimDesktopWindow::paintMenuBar(QPainter& p) const
{
    const QRectF bar = menuBarRect();
    if (bar.isEmpty())
        return;
    p.save();
    p.fillRect(bar, QColor(240, 240, 244));
    p.setPen(Qt::black);
    p.setFont(menuBarFont());
    const SimApp* front = desktop_.frontmostApp();
    const QRect icon = menuBarExtraRect();
    const QRectF label = bar.adjusted(8, 0, icon.isEmpty() ? -8 : icon.left() - bar.right() - 8, 0);
    p.drawText(label, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(front ? front->name : QString(), Qt::ElideRight, int(label.width())));
    if (!extraIcon_.isNull())
        extraIcon_.paint(&p, icon);
    p.restore();
}

void SimDesktopWindow::keyPressEvent(QKeyEvent* event)
{
    desktop_.setModifierFlags(QtKeyTranslator::modifierFlags(heldModifiers(event, true)));
    const auto code = QtKeyTranslator::macKeyCode(event->key());
    if (!code)
        return; // a modifier key alone, or a key the Mac layout doesn't have
    lastKey_ = keyLabel(event);
    desktop_.pressKey(*code, QtKeyTranslator::carbonModifiers(event->modifiers()));
    update();
}

void SimDesktopWindow::keyReleaseEvent(QKeyEvent* event)
{
    desktop_.setModifierFlags(QtKeyTranslator::modifierFlags(heldModifiers(event, false)));
}

void SimDesktopWindow::setMenuBarExtra(const QIcon& icon, std::function<void(const QRect&)> clicked)
{
    extraIcon_ = icon;
    extraClicked_ = std::move(clicked);
    update();
}

QRect SimDesktopWindow::menuBarExtraRect() const
{
    const QRectF bar = menuBarRect();
    if (extraIcon_.isNull() || bar.isEmpty())
        return {};
    const int side = int(bar.height()) - 4;
    return QRect(int(bar.right() - 10 - side), int(bar.top() + (bar.height() - side) / 2), side, side);
}

void SimDesktopWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && extraClicked_
        && menuBarExtraRect().contains(event->position().toPoint())) {
        const QRect r = menuBarExtraRect();
        extraClicked_(QRect(mapToGlobal(r.topLeft()), r.size()));
        return;
    }
    if (event->button() == Qt::LeftButton)
        desktop_.mouseDown(toScreen(event->position()));
}

void SimDesktopWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        desktop_.mouseMove(toScreen(event->position()));
}

void SimDesktopWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        desktop_.mouseUp(toScreen(event->position()));
}

} // namespace tavrin
