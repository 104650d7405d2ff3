#include "design/tswitch.h"

#include "design/designfont.h"
#include "design/environment.h"
#include "design/tswitchaccessible.h"
#include "design/tswitchstyle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tavrin {

TSwitch::TSwitch(const QString& label, bool on, QWidget* parent)
    : QAbstractButton(parent),
      position_(on ? 1 : 0),
      frames_(new Frames(this, [this] {
          if (!position_.running(Frames::now()))
              frames_->stop();
          update();
      }))
{
    // Before the first change announces itself and makes an interface.
    TSwitchAccessible::install();
    setCheckable(true);
    setChecked(on);
    setText(label);
    setFont(DesignFont::system(13));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractButton::toggled, this, &TSwitch::moveKnob);
    new EnvironmentWatcher(this);
}

qreal TSwitch::position() const { return position_.value(Frames::now()); }

QSize TSwitch::sizeHint() const
{
    const QFontMetricsF fm(font());
    const qreal label = text().isEmpty() ? 0 : fm.horizontalAdvance(text()) + TSwitchStyle::kSpacing;
    return {int(std::ceil(label + TSwitchStyle::kWidth)), int(std::ceil(std::max(fm.height(), TSwitchStyle::kHeight)))};
}

QRectF TSwitch::switchRect() const
{
    return QRectF(width() - TSwitchStyle::kWidth, (height() - TSwitchStyle::kHeight) / 2, TSwitchStyle::kWidth,
                  TSwitchStyle::kHeight);
}

bool TSwitch::hitButton(const QPoint& pos) const { return switchRect().contains(QPointF(pos) + QPointF(0.5, 0.5)); }

void TSwitch::checkStateSet() { moveKnob(); }

void TSwitch::nextCheckState() { setChecked(!isChecked()); }

void TSwitch::moveKnob()
{
    const qreal target = isChecked() ? 1 : 0;
    if (position_.target() == target)
        return;
    const bool animate = Environment::clock() && isVisible();
    position_.animate(target, animate ? TSwitchStyle::kDuration : 0, Tween::Curve::easeOut, Frames::now());
    if (animate)
        frames_->start();
    update();
}

void TSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const TTheme t = Environment::theme(this);
    const QRectF track = switchRect();
    if (!text().isEmpty()) {
        painter.setFont(font());
        painter.setPen(t.ink);
        painter.drawText(QRectF(0, 0, track.left() - TSwitchStyle::kSpacing, height()),
                         Qt::AlignLeft | Qt::AlignVCenter, text());
    }
    TSwitchStyle::paint(painter, track, position(), t);
}

} // namespace tavrin
