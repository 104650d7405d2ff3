#include "design/kbd.h"

#include "design/designfont.h"
#include "design/squircle.h"
#include "platform/linuxwords.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tavrin {

namespace {
constexpr qreal kPadX = 6;
constexpr qreal kPadY = 1;
constexpr qreal kMarkGap = 4; // between a taken key's mark and its text
} // namespace

Kbd::Kbd(const QString& key, bool onAccent, QWidget* parent) : Kbd(QStringList{key}, onAccent, parent) {}

Kbd::Kbd(const QStringList& keys, bool onAccent, QWidget* parent)
    : DesignWidget(parent),
      keys_(keys),
      onAccent_(onAccent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString Kbd::text() const { return LinuxWords::runningText(keys_); }

void Kbd::setKeys(const QStringList& keys)
{
    keys_ = keys;
    updateGeometry();
    update();
}

void Kbd::setTaken(bool taken)
{
    taken_ = taken;
    setToolTip(taken ? takenToolTip() : QString());
    updateGeometry();
    update();
}

Kbd::Look Kbd::look(const TTheme& t, bool onAccent, bool taken)
{
    if (taken) {
        QColor wash = t.danger, edge = t.danger;
        wash.setAlphaF(0.12f);
        edge.setAlphaF(0.5f);
        return {t.danger, wash, edge};
    }
    if (onAccent) {
        QColor veil(Qt::white);
        veil.setAlphaF(0.2f);
        return {Qt::white, veil, QColor(0, 0, 0, 0)};
    }
    return {t.muted, t.fillHover, t.line};
}

QSizeF Kbd::capSize(const QString& key, bool taken)
{
    const QFontMetricsF fm(DesignFont::system(kFontSize));
    const qreal mark = taken ? kMarkSize.width() + kMarkGap : 0;
    return {fm.horizontalAdvance(key) + mark + 2 * kPadX, fm.height() + 2 * kPadY};
}

QSizeF Kbd::size(const QStringList& keys, bool taken)
{
    if (keys.isEmpty())
        return capSize(QString(), taken);
    QSizeF total(0, 0);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QSizeF cap = capSize(keys[i], taken && i == 0);
        total.rwidth() += cap.width() + (i > 0 ? kCapGap : 0);
        total.setHeight(std::max(total.height(), cap.height()));
    }
    return total;
}

QSize Kbd::sizeHint() const
{
    const QSizeF s = size(keys_, taken_);
    return {int(std::ceil(s.width())), int(std::ceil(s.height()))};
}

void Kbd::paint(QPainter& painter, const QRectF& rect, const QStringList& keys, const TTheme& t, bool onAccent,
                bool taken)
{
    const Look l = look(t, onAccent, taken);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(DesignFont::system(kFontSize));
    qreal x = rect.left();
    const QStringList caps = keys.isEmpty() ? QStringList{QString()} : keys;
    for (qsizetype i = 0; i < caps.size(); ++i) {
        const bool marked = taken && i == 0;
        const QSizeF size = capSize(caps[i], marked);
        const QRectF cap(x, rect.center().y() - size.height() / 2, size.width(), size.height());
        Squircle::fill(painter, cap, kRadius, l.fill);
        Squircle::hairline(painter, cap, kRadius, l.outline);
        QRectF textRect = cap.adjusted(kPadX, kPadY, -kPadX, -kPadY);
        if (marked) {
            const QRectF box(QPointF(textRect.left(), cap.center().y() - kMarkSize.height() / 2), kMarkSize);
            paintTakenMark(painter, box, l.foreground);
            textRect.setLeft(box.right() + kMarkGap);
        }
        painter.setPen(l.foreground);
        painter.drawText(textRect, Qt::AlignCenter, caps[i]);
        x = cap.right() + kCapGap;
    }
    painter.restore();
}

void Kbd::paintTakenMark(QPainter& painter, const QRectF& box, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(box.center().x(), box.top());
    triangle.lineTo(box.right(), box.bottom());
    triangle.lineTo(box.left(), box.bottom());
    triangle.closeSubpath();
    // The exclamation mark is cut out, so the surface shows through it.
    const qreal bar = box.width() * 0.16, x = box.center().x() - bar / 2;
    QPainterPath cut;
    cut.addRect(QRectF(x, box.top() + box.height() * 0.36, bar, box.height() * 0.3));
    cut.addRect(QRectF(x, box.top() + box.height() * 0.74, bar, bar));
    painter.fillPath(triangle.subtracted(cut), colour);
    painter.restore();
}

void Kbd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect(), keys_, t(), onAccent_, taken_);
}

} // namespace tavrin
