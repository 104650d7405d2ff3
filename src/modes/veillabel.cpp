#include "modes/veillabel.h"

#include "design/designfont.h"
#include "design/environment.h"
#include "modes/sharesafe.h"
#include "windows/shortcutaction.h"
#include "windows/shortcutstore.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tavrin {

namespace {
constexpr qreal kLockSize = 18;
constexpr qreal kTitleSize = 13;
constexpr qreal kHintSize = 11.5;
constexpr qreal kHintOpacity = 0.7;

QFont titleFont() { return DesignFont::system(kTitleSize, QFont::DemiBold); }
QFont hintFont() { return DesignFont::system(kHintSize); }

// The lock symbol's box at the system font size of 18 points.
QSizeF lockSize() { return {kLockSize * 0.78, kLockSize}; }

// A closed padlock filling `box`: a rounded body under a shackle.
void paintLock(QPainter& p, const QRectF& box, const QColor& colour)
{
    const qreal w = box.width(), h = box.height();
    const QRectF body(box.left(), box.top() + h * 0.45, w, h * 0.55);
    QPainterPath lock;
    lock.addRoundedRect(body, w * 0.16, w * 0.16);
    const qreal stroke = w * 0.17;
    const QRectF arc(box.left() + w * 0.2, box.top() + stroke / 2, w * 0.6, h * 0.8);
    QPainterPath shackle;
    shackle.moveTo(arc.left(), body.top());
    shackle.lineTo(arc.left(), arc.top() + arc.width() / 2);
    shackle.arcTo(QRectF(arc.left(), arc.top(), arc.width(), arc.width()), 180, -180);
    shackle.lineTo(arc.right(), body.top());
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(lock, colour);
    p.strokePath(shackle, QPen(colour, stroke, Qt::SolidLine, Qt::FlatCap));
    p.restore();
}
} // namespace

VeilLabel::VeilLabel(const QString& app, const ShareSafe& share, const ShortcutStore& shortcuts, QWidget* parent)
    : QWidget(parent),
      app_(app),
      share_(share),
      shortcuts_(shortcuts)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool VeilLabel::byHand() const { return share_.handNames().contains(app_); }

QString VeilLabel::shortcutText(const ShortcutAction& action) const
{
    const auto combo = shortcuts_.combo(action);
    return combo ? combo->text() : QString();
}

QString VeilLabel::title() const
{
    return byHand() ? tr("%1 is hidden").arg(app_) : tr("%1 is hidden while you share").arg(app_);
}

QString VeilLabel::hint() const
{
    if (byHand())
        return tr("Press %1 in %2 to show it")
            .arg(shortcutText(ShortcutAction::of(ShortcutAction::Kind::hideApp)), app_);
    return tr("Press %1 to show it").arg(shortcutText(ShortcutAction::of(ShortcutAction::Kind::shareSafe)));
}

QSize VeilLabel::sizeHint() const
{
    const QFontMetricsF titleMetrics(titleFont()), hintMetrics(hintFont());
    const qreal width =
        std::max({lockSize().width(), titleMetrics.horizontalAdvance(title()), hintMetrics.horizontalAdvance(hint())});
    const qreal height = lockSize().height() + kSpacing + titleMetrics.height() + kSpacing + hintMetrics.height();
    return QSize(int(std::ceil(width)) + 2 * kInset, int(std::ceil(height)) + 2 * kInset);
}

QColor VeilLabel::foreground() const
{
    // The system's own label colour, not the theme's.
    return Environment::colorScheme(this) == ColorScheme::dark ? QColor(255, 255, 255, 217) : QColor(0, 0, 0, 217);
}

void VeilLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QString titleText = title(), hintText = hint();
    const QFontMetricsF titleMetrics(titleFont()), hintMetrics(hintFont());
    const QSize fitting = sizeHint();
    // The stack centred on both axes.
    const QRectF stack(rect().center().x() - fitting.width() / 2.0 + kInset + 0.5,
                       rect().center().y() - fitting.height() / 2.0 + kInset + 0.5, fitting.width() - 2 * kInset,
                       fitting.height() - 2 * kInset);
    const QColor colour = foreground();

    const QSizeF lock = lockSize();
    paintLock(p, QRectF(stack.center().x() - lock.width() / 2, stack.top(), lock.width(), lock.height()), colour);
    qreal y = stack.top() + lock.height() + kSpacing;
    p.setPen(colour);
    p.setFont(titleFont());
    p.drawText(QRectF(stack.left() - kInset, y, stack.width() + 2 * kInset, titleMetrics.height()),
               Qt::AlignHCenter | Qt::AlignVCenter, titleText);
    y += titleMetrics.height() + kSpacing;
    p.setOpacity(kHintOpacity);
    p.setFont(hintFont());
    p.drawText(QRectF(stack.left() - kInset, y, stack.width() + 2 * kInset, hintMetrics.height()),
               Qt::AlignHCenter | Qt::AlignVCenter, hintText);
}

} // namespace tavrin
