#include "design/apptile.h"

#include "design/appicons.h"
#include "design/designfont.h"
#include "design/squircle.h"

#include <QPainter>
#include <QTextBoundaryFinder>
#include <cmath>

namespace tavrin {

AppTile::AppTile(const QString& app, qreal size, QWidget* parent)
    : DesignWidget(parent),
      app_(app),
      size_(std::max<qreal>(0, size))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
    findIcon();
}

QSize AppTile::sizeHint() const
{
    const int edge = int(std::ceil(size_));
    return {edge, edge};
}

void AppTile::findIcon() { icon_ = AppIcons::shared().lookup(app_); }

void AppTile::environmentChanged()
{
    // A tile without an icon looks again, as a fresh view would.
    if (icon_.isNull())
        findIcon();
    update();
}

int AppTile::letterHash(const QString& name)
{
    int h = 0;
    for (char32_t c : name.toUcs4())
        h = int((qint64(h) * 31 + c) % 65536);
    return h;
}

const QList<QColor>& AppTile::palette()
{
    static const QList<QColor> list = {QColor(0x1B1C22), QColor(0xE5484D), QColor(0x5E6AD2), QColor(0x4A154B),
                                       QColor(0xA259FF), QColor(0x2D8CFF), QColor(0x0A84FF), QColor(0x34C759)};
    return list;
}

QColor AppTile::letterColour(const QString& name) { return palette()[letterHash(name) % 8]; }

QString AppTile::letter(const QString& name)
{
    if (name.isEmpty())
        return {};
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    const qsizetype end = graphemes.toNextBoundary();
    return name.left(end > 0 ? end : 1).toUpper();
}

void AppTile::paint(QPainter& painter, const QRectF& rect, const QString& app, const QIcon& icon)
{
    if (rect.isEmpty())
        return;
    painter.save();
    if (!icon.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1;
        const QSize pixels = (rect.size() * dpr).toSize().expandedTo(QSize(1, 1));
        painter.drawPixmap(rect, icon.pixmap(pixels).scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                           QRectF());
    } else {
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal size = std::min(rect.width(), rect.height());
        Squircle::fill(painter, rect, size * 0.27, letterColour(app));
        painter.setFont(DesignFont::system(size * 0.46, QFont::Bold));
        painter.setPen(Qt::white);
        painter.drawText(rect, Qt::AlignCenter, letter(app));
    }
    painter.restore();
}

void AppTile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, QRectF(0, 0, size_, size_), app_, icon_);
}

} // namespace tavrin
