#include "commandbar/planrow.h"

#include "design/appicons.h"
#include "design/apptile.h"
#include "design/designfont.h"
#include "design/squircle.h"
#include "design/zoneglyph.h"
#include "platform/clock.h"
#include "platform/timer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tavrin {

namespace {
constexpr qreal kTile = 26;
constexpr qreal kPadX = 8;
constexpr qreal kPadY = 7;
constexpr qreal kSpacing = 10;
constexpr qreal kZoneSpacing = 7;
constexpr qreal kMinSpacer = 8;

QFont titleFont() { return DesignFont::system(13.5, QFont::Medium); }
QFont detailFont() { return DesignFont::system(12); }
} // namespace

PlanRow::PlanRow(const PlannedWindow& row, const UnitRect& zone, bool isMain, bool revealed, QWidget* parent)
    : DesignWidget(parent), row_(row), zone_(zone), isMain_(isMain), shown_(revealed ? 1 : 0)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QString PlanRow::detailText() const
{
    return row_.existing ? row_.detail : QStringLiteral("Opens · ") + row_.detail;
}

double PlanRow::now() const
{
    const Clock* clock = Environment::clock();
    return clock ? clock->monotonic() : 0;
}

qreal PlanRow::presence() const { return shown_.value(now()); }

void PlanRow::setRevealed(bool revealed, bool animated)
{
    const qreal target = revealed ? 1 : 0;
    if (target == shown_.target())
        return;
    Clock* clock = Environment::clock();
    if (!animated || !clock) {
        shown_.jump(target);
        update();
        return;
    }
    shown_.animate(target, kRevealSeconds, Tween::Curve::easeOut, now());
    if (!frames_) {
        frames_ = new Timer(*clock, this);
        connect(frames_, &Timer::timeout, this, [this] {
            update();
            if (!shown_.running(now()))
                frames_->stop();
        });
    }
    frames_->startRepeating(1.0 / 60);
    update();
}

QSize PlanRow::sizeHint() const
{
    const qreal texts = QFontMetricsF(titleFont()).height() + 1 + QFontMetricsF(detailFont()).height();
    const qreal height = std::max(kTile, texts) + 2 * kPadY;
    const qreal zoneWidth = QFontMetricsF(detailFont()).horizontalAdvance(zoneText()) + kZoneSpacing
        + ZoneGlyph::kSize.width();
    const qreal titleWidth = std::max(QFontMetricsF(titleFont()).horizontalAdvance(row_.app),
                                      QFontMetricsF(detailFont()).horizontalAdvance(detailText()));
    return {int(std::ceil(2 * kPadX + kTile + kSpacing + titleWidth + kMinSpacer + zoneWidth)),
            int(std::ceil(height))};
}

QSize PlanRow::minimumSizeHint() const { return {0, sizeHint().height()}; }

void PlanRow::paintEvent(QPaintEvent*)
{
    const qreal shown = presence();
    if (shown <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(shown);
    painter.translate(0, kHiddenOffset * (1 - shown));
    const TTheme theme = t();
    const QRectF bounds(rect());
    if (isMain_)
        Squircle::fill(painter, bounds, 9, theme.fillHover);

    const QRectF inner = bounds.adjusted(kPadX, kPadY, -kPadX, -kPadY);
    const QRectF tile(inner.left(), inner.center().y() - kTile / 2, kTile, kTile);
    AppTile::paint(painter, tile, row_.app, AppIcons::shared().lookup(row_.app));

    // The zone label keeps its full width; the texts give way.
    const QFont detail = detailFont();
    const QFontMetricsF dm(detail);
    const QString zoneName = zoneText();
    const qreal zoneWidth = dm.horizontalAdvance(zoneName) + kZoneSpacing + ZoneGlyph::kSize.width();
    const qreal zoneLeft = inner.right() - zoneWidth;
    painter.setFont(detail);
    painter.setPen(theme.muted);
    painter.drawText(QRectF(zoneLeft, inner.top(), dm.horizontalAdvance(zoneName) + 1, inner.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, zoneName);
    painter.save();
    painter.translate(inner.right() - ZoneGlyph::kSize.width(), inner.center().y() - ZoneGlyph::kSize.height() / 2.0);
    ZoneGlyph::paint(painter, QSizeF(ZoneGlyph::kSize), zone_, theme);
    painter.restore();

    const qreal textLeft = tile.right() + kSpacing;
    const qreal textWidth = std::max<qreal>(0, zoneLeft - kMinSpacer - textLeft);
    const QFont title = titleFont();
    const QFontMetricsF tm(title);
    const qreal textsHeight = tm.height() + 1 + dm.height();
    const qreal top = inner.center().y() - textsHeight / 2;
    painter.setFont(title);
    painter.setPen(theme.ink);
    painter.drawText(QRectF(textLeft, top, textWidth, tm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     tm.elidedText(row_.app, Qt::ElideRight, textWidth));
    painter.setFont(detail);
    painter.setPen(row_.existing ? theme.muted : theme.accent);
    painter.drawText(QRectF(textLeft, top + tm.height() + 1, textWidth, dm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     dm.elidedText(detailText(), Qt::ElideRight, textWidth));
}

} // namespace tavrin
