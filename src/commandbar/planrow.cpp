#include "commandbar/planrow.h"

#include "design/appicons.h"
#include "design/apptile.h"
#include "design/squircle.h"
#include "design/zoneglyph.h"
#include "platform/clock.h"
#include "platform/timer.h"

#include <QFontMetricsF>
#include <QPainter>

namespace tavrin {

namespace {
constexpr qreal kZoneSpacing = 7;
} // namespace

PlanRow::PlanRow(const PlannedWindow& row, const UnitRect& zone, bool isMain, bool revealed, QWidget* parent)
    : ListRow(parent),
      row_(row),
      zone_(zone),
      isMain_(isMain),
      shown_(revealed ? 1 : 0)
{}

QString PlanRow::detailText() const { return row_.existing ? row_.detail : QStringLiteral("Opens · ") + row_.detail; }

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
    const qreal zoneWidth =
        QFontMetricsF(detailFont()).horizontalAdvance(zoneText()) + kZoneSpacing + ZoneGlyph::kSize.width();
    return naturalSize(row_.app, detailText(), zoneWidth);
}

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
    if (isMain_)
        Squircle::fill(painter, QRectF(rect()), 9, theme.fillHover);
    AppTile::paint(painter, tileRect(), row_.app, AppIcons::shared().lookup(row_.app));

    // The zone label keeps its full width; the texts give way.
    const QRectF in = inner();
    const QFontMetricsF dm(detailFont());
    const QString zoneName = zoneText();
    const qreal zoneLeft = in.right() - (dm.horizontalAdvance(zoneName) + kZoneSpacing + ZoneGlyph::kSize.width());
    painter.setFont(detailFont());
    painter.setPen(theme.muted);
    painter.drawText(QRectF(zoneLeft, in.top(), dm.horizontalAdvance(zoneName) + 1, in.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, zoneName);
    painter.save();
    painter.translate(in.right() - ZoneGlyph::kSize.width(), in.center().y() - ZoneGlyph::kSize.height() / 2.0);
    ZoneGlyph::paint(painter, QSizeF(ZoneGlyph::kSize), zone_, theme);
    painter.restore();

    paintTexts(painter, zoneLeft, row_.app, detailText(), row_.existing ? theme.muted : theme.accent);
}

} // namespace tavrin
