#include "design/menubaricon.h"

#include "design/markpaths.h"

#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

namespace tavrin {

namespace {

// Draws the mark at the size asked for, so that it stays sharp on every
// display scale.
class MarkIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        MenuBarIcon::drawMark(painter, rect);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(), size), mode, state);
        return pm;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return MenuBarIcon::kDrawnSize.scaled(size, Qt::KeepAspectRatio);
    }

    QIconEngine* clone() const override { return new MarkIconEngine; }
    QString key() const override { return QStringLiteral("tavrin-mark"); }
};

} // namespace

const QIcon& MenuBarIcon::icon()
{
    static const QIcon made = make(QStringLiteral(":/MenuBarIcon"));
    return made;
}

QIcon MenuBarIcon::make(const QString& resourcePath)
{
    QImageReader reader(resourcePath);
    const QImage image = reader.read();
    QIcon icon;
    if (!image.isNull())
        icon.addPixmap(QPixmap::fromImage(image)); // shown at kResourceSize
    else
        icon = QIcon(new MarkIconEngine);
    icon.setIsMask(true);
    return icon;
}

bool MenuBarIcon::drawMark(QPainter* painter, const QRectF& bounds)
{
    if (!painter || !painter->isActive())
        return false;
    const qreal scale = std::min(bounds.width() / kDrawnSize.width(), bounds.height() / kDrawnSize.height());
    const MarkPaths paths = markPaths(bounds.adjusted(0.5 * scale, 0.5 * scale, -0.5 * scale, -0.5 * scale));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QPen pen(Qt::black, 1.6 * scale, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
    painter->strokePath(paths.frame, pen);
    pen.setWidthF(0.9 * scale);
    painter->setOpacity(0.75);
    painter->strokePath(paths.strokes, pen);
    painter->setOpacity(1.0);
    QPainterPath block = paths.block;
    block.setFillRule(Qt::WindingFill);
    painter->fillPath(block, Qt::black);
    painter->restore();
    return true;
}

} // namespace tavrin
