#include "snapping/arrowkey.h"

#include "design/colourmix.h"
#include "design/designfont.h"
#include "design/elidedlabel.h"
#include "design/environment.h"
#include "design/frames.h"
#include "design/kbd.h"
#include "design/squircle.h"
#include "design/takenmark.h"
#include "snapping/keydisplay.h"

#include <QEnterEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace tavrin {

ArrowKey::ArrowKey(bool dim, QWidget* parent)
    : QAbstractButton(parent),
      display_(new KeyDisplay(dim)),
      symbol_(new ElidedLabel(QString(), TTheme::Colour::ink, DesignFont::system(12, QFont::DemiBold))),
      label_(new ElidedLabel(QString(), TTheme::Colour::muted, DesignFont::system(11))),
      mark_(new TakenMark),
      frames_(new Frames(this, [this] { frame(); }))
{
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumWidth(10);
    new EnvironmentWatcher(this);
    label_->setMinimumScale(kLabelMinimumScale);
    for (QWidget* w : {static_cast<QWidget*>(symbol_), static_cast<QWidget*>(label_)})
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
    mark_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(kSpacing);
    layout->addWidget(display_);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(mark_, 0, Qt::AlignVCenter);
    row->addWidget(symbol_);
    row->addSpacerItem(new QSpacerItem(2, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    row->addWidget(label_);
    layout->addLayout(row);
    sink(0);
}

QString ArrowKey::symbol() const { return symbol_->text(); }

void ArrowKey::setSymbol(const QString& symbol)
{
    symbol_->setText(symbol);
    // The symbol keeps its width; the label gives way.
    symbol_->setMinimumWidth(symbol_->sizeHint().width());
}

QString ArrowKey::label() const { return label_->text(); }

void ArrowKey::setLabel(const QString& label) { label_->setText(taken_ ? kTakenLabel : label); }

void ArrowKey::setTaken(bool taken)
{
    if (taken == taken_)
        return;
    taken_ = taken;
    mark_->setVisible(taken);
    symbol_->setColour(taken ? TTheme::Colour::danger : TTheme::Colour::ink);
    label_->setColour(taken ? TTheme::Colour::danger : TTheme::Colour::muted);
    setToolTip(taken ? Kbd::takenToolTip() : QString());
    setEnabled(!taken);
    if (taken) {
        label_->setText(kTakenLabel);
        display_->setUnit(std::nullopt);
    }
}

std::optional<UnitRect> ArrowKey::unit() const { return display_->unit(); }

void ArrowKey::setUnit(const std::optional<UnitRect>& unit) { display_->setUnit(taken_ ? std::nullopt : unit); }

void ArrowKey::setDisplayHeight(int height) { display_->setFixedHeight(height); }

void ArrowKey::setHit(bool hit)
{
    if (hit == hit_)
        return;
    hit_ = hit;
    const bool animate = isVisible() && frames_->start();
    press_.animate(hit ? 1 : 0, animate ? kHitSeconds : 0, Tween::Curve::easeOut, Frames::now());
    if (!animate)
        frames_->stop();
    frame();
}

void ArrowKey::frame()
{
    const double now = Frames::now();
    if (!press_.running(now) || !isVisible())
        frames_->stop();
    sink(press_.value(now));
    update();
}

void ArrowKey::sink(qreal depth)
{
    // The face's contents go down with it, by whole points, into the spare
    // point kept below the face.
    const int down = qRound(depth);
    layout()->setContentsMargins(kPadding, kPadding + down, kPadding, kPadding + kSink - down);
}

void ArrowKey::enterEvent(QEnterEvent* event)
{
    hover_ = true;
    update();
    emit hoverChanged(true);
    QAbstractButton::enterEvent(event);
}

void ArrowKey::leaveEvent(QEvent* event)
{
    hover_ = false;
    update();
    emit hoverChanged(false);
    QAbstractButton::leaveEvent(event);
}

void ArrowKey::paintEvent(QPaintEvent*)
{
    const TTheme t = Environment::theme(this);
    const qreal pressed = press_.value(Frames::now());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face(0, pressed, width(), height() - kSink);
    QColor hitFill = t.accent;
    hitFill.setAlphaF(0.22f);
    Squircle::fill(painter, face, kRadius, mixColours(hover_ ? t.fillHover : t.fill, hitFill, pressed));
    Squircle::hairline(painter, face, kRadius, t.line);
}

} // namespace tavrin
