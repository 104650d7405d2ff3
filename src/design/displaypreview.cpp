#include "design/displaypreview.h"

#include "design/miniwindow.h"
#include "design/squircle.h"
#include "design/wallpaper.h"

#include <QCache>
#include <QPainter>
#include <cmath>

namespace tavrin {

namespace {
qreal validAspect(qreal aspect) { return std::isfinite(aspect) && aspect > 0 ? aspect : 1.6; }
} // namespace

DisplayPreview::DisplayPreview(qreal aspect, const QList<Item>& items, qreal gap, qreal radius, QWidget* parent)
    : DesignWidget(parent),
      aspect_(aspect),
      gap_(gap),
      radius_(radius),
      frames_(new Frames(this, [this] { frame(); }))
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setItems(items);
}

void DisplayPreview::setAspect(qreal aspect)
{
    aspect_ = aspect;
    updateGeometry();
    update();
}

void DisplayPreview::setGap(qreal gap)
{
    gap_ = gap;
    update();
}

void DisplayPreview::setRadius(qreal radius)
{
    radius_ = radius;
    update();
}

void DisplayPreview::setItems(const QList<Item>& items, bool animated)
{
    items_ = items;
    const double t = Frames::now();
    const double duration =
        animated && Environment::clock() && isVisible() && !Environment::reduceMotion() ? kFadeDuration : 0;

    // New order: the items as given, in their order; items that are leaving
    // keep fading where they were, above what lay under them before.
    QList<Shown> next;
    for (const Item& item : items) {
        auto it = std::find_if(shown_.begin(), shown_.end(), [&](const Shown& s) { return s.item.id == item.id; });
        Shown s{item, it != shown_.end() ? it->opacity : Tween(duration > 0 ? 0 : 1)};
        s.opacity.animate(1, duration, Tween::Curve::easeInOut, t);
        next.append(s);
    }
    if (duration > 0) {
        for (int i = 0; i < shown_.size(); ++i) {
            const Shown& old = shown_[i];
            const bool stays =
                std::any_of(items.begin(), items.end(), [&](const Item& it) { return it.id == old.item.id; });
            if (stays)
                continue;
            Shown leaving = old;
            leaving.opacity.animate(0, duration, Tween::Curve::easeInOut, t);
            next.insert(std::min<qsizetype>(i, next.size()), leaving);
        }
    }
    shown_ = next;

    if (duration > 0)
        frames_->start();
    update();
}

void DisplayPreview::frame()
{
    const double t = Frames::now();
    const bool running =
        std::any_of(shown_.begin(), shown_.end(), [&](const Shown& s) { return s.opacity.running(t); });
    if (!running) {
        shown_.erase(
            std::remove_if(shown_.begin(), shown_.end(), [&](const Shown& s) { return s.opacity.value(t) <= 0; }),
            shown_.end());
        frames_->stop();
    }
    update();
}

void DisplayPreview::hideEvent(QHideEvent* event)
{
    DesignWidget::hideEvent(event);
    if (frames_->isRunning()) {
        // Nobody sees the fade: finish it.
        shown_.erase(
            std::remove_if(shown_.begin(), shown_.end(), [](const Shown& s) { return s.opacity.target() <= 0; }),
            shown_.end());
        for (Shown& s : shown_)
            s.opacity.jump(1);
        frames_->stop();
    }
}

QSize DisplayPreview::sizeHint() const
{
    const int width = 240;
    return {width, heightForWidth(width)};
}

int DisplayPreview::heightForWidth(int width) const { return int(std::ceil(width / validAspect(aspect_))); }

QRectF DisplayPreview::fitted(const QRectF& bounds, qreal aspect)
{
    aspect = validAspect(aspect);
    if (bounds.isEmpty())
        return {};
    QSizeF size(bounds.width(), bounds.width() / aspect);
    if (size.height() > bounds.height())
        size = QSizeF(bounds.height() * aspect, bounds.height());
    return QRectF(bounds.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

QRectF DisplayPreview::itemFrame(const UnitRect& unit, qreal width, qreal height, qreal gap)
{
    return QRectF(unit.x * width + gap, unit.y * height + gap, std::max(kMinimumSide, unit.w * width - 2 * gap),
                  std::max(kMinimumSide, unit.h * height - 2 * gap));
}

void DisplayPreview::paint(QPainter& painter, const QRectF& bounds, qreal aspect, const QList<Item>& items,
                           const QList<qreal>& opacities, qreal gap, qreal radius, ColorScheme scheme, const TTheme& t)
{
    const QRectF area = fitted(bounds, aspect);
    if (area.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.save();
    painter.setClipPath(Squircle::path(area, radius), Qt::IntersectClip);
    Wallpaper::paint(painter, area, scheme);
    for (int i = 0; i < items.size(); ++i) {
        const qreal opacity = i < opacities.size() ? opacities[i] : 1.0;
        if (opacity <= 0)
            continue;
        painter.setOpacity(opacity);
        const QRectF frame = itemFrame(items[i].rect, area.width(), area.height(), gap).translated(area.topLeft());
        MiniWindow::paint(painter, frame, items[i].app, std::nullopt, false, t);
    }
    painter.restore();
    Squircle::hairline(painter, area, radius, t.line);
    painter.restore();
}

QString DisplayPreview::pictureKey(const QList<Item>& items, qreal scale, const TTheme& theme) const
{
    auto exact = [](double v) { return QString::number(v, 'g', 17); };
    QString key = QStringLiteral("%1x%2 ").arg(width()).arg(height());
    for (double v : {scale, aspect_, gap_, radius_})
        key += exact(v) + QLatin1Char(' ');
    key += QString::number(int(scheme())) + (Environment::titleBarButtons() ? QStringLiteral(" b") : QString());
    for (int c = 0; c <= int(TTheme::Colour::danger); ++c)
        key += QLatin1Char(' ') + QString::number(theme.colour(TTheme::Colour(c)).rgba64(), 16);
    for (const Item& item : items) {
        key += QLatin1Char('|') + QString::number(item.app.size()) + QLatin1Char(':') + item.app;
        for (double v : {item.rect.x, item.rect.y, item.rect.w, item.rect.h})
            key += QLatin1Char(' ') + exact(v);
    }
    return key;
}

void DisplayPreview::paintEvent(QPaintEvent*)
{
    const double at = Frames::now();
    QList<Item> items;
    QList<qreal> opacities;
    bool settled = true;
    for (const Shown& s : shown_) {
        items.append(s.item);
        opacities.append(s.opacity.value(at));
        settled = settled && opacities.back() >= 1;
    }
    QPainter painter(this);
    const TTheme theme = t();
    // Reused pixels land exactly only on whole pixels, unturned.
    const QTransform device = painter.deviceTransform();
    const qreal scale = device.m11();
    auto isWhole = [](qreal v) { return v == std::round(v); };
    const bool whole = device.type() <= QTransform::TxScale && device.m22() == scale && scale >= 1 && isWhole(scale)
                       && isWhole(device.dx()) && isWhole(device.dy());
    if (!settled || !whole) {
        paint(painter, rect(), aspect_, items, opacities, gap_, radius_, scheme(), theme);
        return;
    }
    // A settled preview is drawn once for what it shows and reused, also by
    // a preview built afresh for the same desktop (each time the command
    // bar opens): a fade draws every frame anew.
    const QString key = pictureKey(items, scale, theme);
    static QCache<QString, QImage> drawn(qsizetype{8} * 1024 * 1024);
    const QImage* image = drawn.object(key);
    if (!image) {
        auto* made = new QImage(size() * scale, QImage::Format_ARGB32_Premultiplied);
        made->setDevicePixelRatio(scale);
        made->fill(Qt::transparent);
        QPainter p(made);
        paint(p, rect(), aspect_, items, opacities, gap_, radius_, scheme(), theme);
        p.end();
        image = made;
        drawn.insert(key, made, int(std::min<qsizetype>(made->sizeInBytes(), qsizetype{8} * 1024 * 1024)));
    }
    painter.drawImage(QPointF(), *image);
}

} // namespace tavrin
