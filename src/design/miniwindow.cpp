#include "design/miniwindow.h"

#include "design/designfont.h"
#include "design/environment.h"
#include "design/shadowcache.h"
#include "design/squircle.h"

#include <QFontMetricsF>
#include <QPainter>

namespace tavrin {

namespace {
using Model = MiniWindowModel;

// The title bar: buttons, the title where the size shows one, the hairline
// under it. Returns its rectangle.
QRectF paintTitleBar(QPainter& painter, const QRectF& rect, const Model::Metrics& m, Model::Kind kind,
                     const std::optional<QString>& title, const TTheme& t)
{
    const qreal w = rect.width();
    const QRectF bar(rect.left(), rect.top(), w, std::min(m.titleBarHeight, rect.height()));
    painter.fillRect(bar, Model::titleBarColour(kind, t));
    qreal x = rect.left() + m.sideMargin;
    painter.setPen(Qt::NoPen);
    if (Environment::titleBarButtons())
        for (const QColor& c : Model::buttonColours()) {
            painter.setBrush(c);
            painter.drawEllipse(QRectF(x, bar.center().y() - m.buttonDiameter / 2, m.buttonDiameter, m.buttonDiameter));
            x += m.buttonDiameter + m.titleSpacing;
        }
    if (m.showsTitle && title) {
        const qreal left = x + 6;
        const qreal right = rect.right() - m.sideMargin;
        if (right > left) {
            const QFont font = DesignFont::system(10);
            painter.setFont(font);
            painter.setPen(Model::titleTextColour(kind, t));
            const QString shown = QFontMetricsF(font).elidedText(*title, Qt::ElideRight, right - left);
            painter.drawText(QRectF(left, bar.top(), right - left, bar.height()), Qt::AlignLeft | Qt::AlignVCenter,
                             shown);
        }
    }
    if (m.titleHairline)
        painter.fillRect(QRectF(bar.left(), bar.bottom() - 0.5, bar.width(), 0.5), Model::hairlineColour(kind, t));
    return bar;
}

// The content under the title bar: the kind's lines of bars.
void paintContent(QPainter& painter, const QRectF& rect, const QRectF& bar, const Model::Metrics& m, Model::Kind kind,
                  int seed, bool large, const TTheme& t)
{
    const qreal w = rect.width();
    const QRectF content(rect.left(), bar.bottom(), w, rect.bottom() - bar.bottom());
    painter.fillRect(content, Model::contentColour(kind, t));
    const int lines = Model::lineCount(rect.height(), large);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < lines; ++i) {
        const qreal y = content.top() + m.contentMargin + i * (m.lineHeight + m.lineSpacing);
        if (y >= rect.bottom())
            break;
        for (const Model::Bar& b : Model::line(kind, seed, i, w, m, t)) {
            const QRectF r(content.left() + m.contentMargin + b.x, y, b.circle ? m.lineHeight : b.width, m.lineHeight);
            if (r.width() <= 0)
                continue;
            painter.setBrush(b.colour);
            if (b.circle)
                painter.drawEllipse(r);
            else
                painter.drawPath(Squircle::path(r, m.lineHeight / 2));
        }
    }
}
} // namespace

MiniWindow::MiniWindow(const QString& app, const std::optional<QString>& title, bool large, QWidget* parent)
    : Surface(parent),
      app_(app),
      title_(title),
      large_(large)
{}

void MiniWindow::paint(QPainter& painter, const QRectF& rect, const QString& app, const std::optional<QString>& title,
                       bool large, const TTheme& t)
{
    if (rect.isEmpty())
        return;
    const Model::Metrics& m = Model::metrics(large);
    const Model::Kind kind = Model::kind(app);
    const int seed = Model::seed(app);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor shadow(Qt::black);
    shadow.setAlphaF(float(m.shadowOpacity));
    ShadowCache::draw(painter, rect, m.radius, m.shadowBlur, shadow, QPointF(0, m.shadowOffset));

    painter.save();
    painter.setClipPath(Squircle::path(rect, m.radius), Qt::IntersectClip);

    const QRectF bar = paintTitleBar(painter, rect, m, kind, title, t);
    paintContent(painter, rect, bar, m, kind, seed, large, t);
    painter.restore();

    Squircle::hairline(painter, rect, m.radius, t.winLine);
    painter.restore();
}

void MiniWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, shapeRect(), app_, title_, large_, t());
}

} // namespace tavrin
