#include "commandbar/adjustview.h"

#include "commandbar/commandbarmodel.h"
#include "commandbar/hintlabel.h"
#include "design/aiglow.h"
#include "design/appicons.h"
#include "design/apptile.h"
#include "design/designfont.h"
#include "design/elidedlabel.h"
#include "design/shadowcache.h"
#include "design/spark.h"
#include "design/squircle.h"
#include "design/tbutton.h"
#include "design/tglass.h"
#include "design/tween.h"
#include "platform/clock.h"
#include "platform/timer.h"
#include "windows/windowmanager.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {
constexpr double kBarTop = 10;
constexpr double kBarMaxWidth = 440;
constexpr double kBarWidthFraction = 0.86;
constexpr double kHintGap = 6;

QColor withAlpha(QColor c, qreal alpha)
{
    c.setAlphaF(float(std::clamp<qreal>(alpha, 0, 1)));
    return c;
}

Rect lerp(const Rect& a, const Rect& b, double t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.width + (b.width - a.width) * t,
            a.height + (b.height - a.height) * t};
}

QRectF toQt(const Rect& r) { return {r.x, r.y, r.width, r.height}; }

// Where the window is cut to what it draws (no compositor), nothing behind
// shows through the zones: they are tinted over this deep grey instead,
// which keeps their white labels readable on any desktop.
const QColor kCutBase(24, 26, 31);

// `top` laid over the opaque `base`.
QColor over(const QColor& top, const QColor& base)
{
    const float a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + base.redF() * (1 - a), top.greenF() * a + base.greenF() * (1 - a),
                            top.blueF() * a + base.blueF() * (1 - a));
}

// Text with the soft dark shadow the outlines' labels carry.
void shadowedText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, const QColor& colour)
{
    painter.setFont(font);
    painter.setPen(withAlpha(Qt::black, 0.28));
    for (const QPointF d : {QPointF(0, 1), QPointF(1, 0), QPointF(-1, 0), QPointF(0, -1)})
        painter.drawText(rect.translated(d), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.setPen(colour);
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
}

// Lifts the outline being dragged: shrinks it a little about its centre
// (until the painter is restored) and, where the window is see-through,
// casts its shadow.
void lift(QPainter& painter, const QRectF& r, bool cut)
{
    const QPointF c = r.center();
    painter.translate(c);
    painter.scale(0.97, 0.97);
    painter.translate(-c);
    // Only around the outline: its fill is see-through.
    QPainterPath outside;
    outside.addRect(r.adjusted(-60, -60, 60, 80));
    if (!cut) {
        painter.save();
        painter.setClipPath(outside.subtracted(Squircle::path(r, 9)));
        ShadowCache::draw(painter, r, 9, 18, withAlpha(Qt::black, 0.35), QPointF(0, 8));
        painter.restore();
    }
}

// The outline's dashed border, `width` wide, drawn inside its edge.
void dashedBorder(QPainter& painter, const QRectF& r, const QColor& colour, qreal width)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setMiterLimit(10);
    pen.setDashPattern({6 / pen.widthF(), 4 / pen.widthF()});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(Squircle::inset(r, 9, pen.widthF() / 2));
}

// The outline's icon, name and zone, centred.
void paintLabel(QPainter& painter, const QRectF& r, const QString& app, const QString& zone)
{
    const QFont nameFont = DesignFont::system(13, QFont::DemiBold);
    const QFont zoneFont = DesignFont::system(11);
    const qreal nameHeight = QFontMetricsF(nameFont).height();
    const qreal zoneHeight = QFontMetricsF(zoneFont).height();
    const qreal total = 28 + 2 + nameHeight + 2 + zoneHeight;
    qreal y = r.center().y() - total / 2;
    const QRectF tile(r.center().x() - 14, y, 28, 28);
    ShadowCache::draw(painter, tile, 6, 4, withAlpha(Qt::black, 0.5));
    AppTile::paint(painter, tile, app, AppIcons::shared().lookup(app));
    y += 28 + 2;
    const QRectF textBox(r.left() + 4, y, r.width() - 8, nameHeight);
    const QString name = QFontMetricsF(nameFont).elidedText(app, Qt::ElideRight, textBox.width());
    shadowedText(painter, textBox, name, nameFont, Qt::white);
    y += nameHeight + 2;
    const QRectF zoneBox(r.left() + 4, y, r.width() - 8, zoneHeight);
    shadowedText(painter, zoneBox, QFontMetricsF(zoneFont).elidedText(zone, Qt::ElideRight, zoneBox.width()), zoneFont,
                 withAlpha(Qt::white, 0.75));
}
} // namespace

AdjustView::AdjustView(CommandBarModel& model, Size area, QWidget* parent)
    : DesignWidget(parent),
      model_(&model),
      area_(area)
{
    setObjectName(QStringLiteral("adjustView"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);

    // The bar: spark, the task, Back and Place, on glass with the idle glow.
    auto* row = new QWidget;
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(12, 8, 8, 8);
    rowLayout->setSpacing(8);
    rowLayout->addWidget(new Spark(18));
    task_ = new ElidedLabel(model.text(), TTheme::Colour::ink, DesignFont::system(13));
    task_->setObjectName(QStringLiteral("adjustTask"));
    rowLayout->addWidget(task_, 1);
    rowLayout->addSpacing(8);
    auto* backButton = new TButton(tr("Back"), TButtonStyle::Kind::ghost);
    backButton->setObjectName(QStringLiteral("adjustBack"));
    auto* placeButton = new TButton(tr("↵ Place"), TButtonStyle::Kind::primary);
    placeButton->setObjectName(QStringLiteral("adjustPlace"));
    for (TButton* b : {backButton, placeButton}) {
        b->setFocusPolicy(Qt::NoFocus);
        rowLayout->addWidget(b);
    }
    connect(backButton, &QAbstractButton::clicked, this, &AdjustView::back);
    connect(placeButton, &QAbstractButton::clicked, this, &AdjustView::place);

    auto* glass = new TGlass(13, row);
    glass->setOutset(kBarOutset);
    bar_ = new AIGlow(AIGlow::Intensity::idle, 13, glass, this);
    bar_->setObjectName(QStringLiteral("adjustBar"));

    hint_ = new HintLabel(tr("Drag an outline onto another to swap them."), DesignFont::system(11.5), this);
    hint_->setObjectName(QStringLiteral("adjustHint"));

    connect(&model, &CommandBarModel::rowsSwapped, this, &AdjustView::rowsSwapped);
    for (auto signal : {&CommandBarModel::rowsChanged, &CommandBarModel::planChanged, &CommandBarModel::captureChanged})
        connect(&model, signal, this, qOverload<>(&QWidget::update));
    connect(&model, &CommandBarModel::textUpdated, this, [this] { task_->setText(model_->text()); });

    frames_ = new Timer(model.services().clock, this);
    connect(frames_, &Timer::timeout, this, &AdjustView::frame);
    shownAt_ = now();
}

AdjustView::~AdjustView() = default;

// ---- Geometry ----

std::vector<Rect> AdjustView::zoneFrames(const std::vector<UnitRect>& units, Size area, double gap)
{
    const Rect bounds(0, 0, area.width, area.height);
    std::vector<Rect> frames;
    frames.reserve(units.size());
    for (const UnitRect& u : units)
        frames.push_back(u.rect(bounds, gap));
    return frames;
}

std::vector<Rect> AdjustView::zoneFrames() const
{
    if (!model_)
        return {};
    return zoneFrames(model_->adjustRects(), area_, model_->windows().gap());
}

Point AdjustView::movedCentre(const std::vector<Rect>& frames, int dragged, QSizeF translation)
{
    if (dragged < 0 || dragged >= int(frames.size()))
        return {0, 0};
    const Rect& f = frames[std::size_t(dragged)];
    return {f.midX() + translation.width(), f.midY() + translation.height()};
}

std::optional<int> AdjustView::zoneAt(const std::vector<Rect>& frames, Point point)
{
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (frames[i].contains(point))
            return int(i);
    return std::nullopt;
}

std::optional<int> AdjustView::dropTarget(const std::vector<Rect>& frames, int dragged, QSizeF translation)
{
    if (dragged < 0 || dragged >= int(frames.size()))
        return std::nullopt;
    const auto j = zoneAt(frames, movedCentre(frames, dragged, translation));
    if (!j || *j == dragged)
        return std::nullopt;
    return j;
}

qreal AdjustView::targetEmphasis(int index) const
{
    if (!model_ || index < 0 || index >= int(model_->rows().size()))
        return 0;
    const auto it = emphasis_.constFind(model_->rows()[std::size_t(index)].id);
    return it == emphasis_.constEnd() ? 0 : std::clamp<qreal>(it->value(now()), 0, 1);
}

void AdjustView::retarget()
{
    // Each outline heads for its highlight (or away from it) on its spring.
    if (!model_)
        return;
    const double t = now();
    const auto& rows = model_->rows();
    for (int i = 0; i < int(rows.size()); ++i) {
        const qreal want = isTarget(i) ? 1 : 0;
        auto it = emphasis_.find(rows[std::size_t(i)].id);
        if (it == emphasis_.end()) {
            if (want == 0)
                continue;
            it = emphasis_.insert(rows[std::size_t(i)].id, Spring(kTargetResponse, 1.0));
        }
        it->animate(want, t);
    }
}

bool AdjustView::isTarget(int index) const
{
    if (!dragging_ || *dragging_ == index)
        return false;
    const std::vector<Rect> frames = zoneFrames();
    if (index < 0 || index >= int(frames.size()))
        return false;
    return frames[std::size_t(index)].contains(movedCentre(frames, *dragging_, dragOffset_));
}

QRectF AdjustView::drawnArea() const { return drawn_ ? *drawn_ : QRectF(rect()); }

void AdjustView::setDrawnArea(const QRectF& drawn)
{
    drawn_ = drawn;
    layoutBar();
    update();
}

double AdjustView::barWidth(double areaWidth) { return std::min(areaWidth * kBarWidthFraction, kBarMaxWidth); }

double AdjustView::scale() const { return area_.width > 0 ? drawnArea().width() / area_.width : 1.0; }

Point AdjustView::toArea(QPointF p) const
{
    p -= drawnArea().topLeft();
    const double s = scale() > 0 ? scale() : 1.0;
    return {p.x() / s, p.y() / s};
}

Rect AdjustView::drawnFrame(int, const Rect& zone) const { return zone.insetBy(kInset, kInset); }

// ---- Actions ----

void AdjustView::back()
{
    if (!model_ || !model_->phase().is(CommandBarPhase::Kind::adjusting))
        return;
    model_->setPhase(CommandBarPhase::preview());
    emit backToPreview();
}

void AdjustView::place()
{
    if (model_)
        model_->arrange(false);
}

// ---- Keys ----

bool AdjustView::event(QEvent* event)
{
    // Tab goes back instead of moving the focus.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            back();
            return true;
        }
    }
    return DesignWidget::event(event);
}

void AdjustView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        place();
        event->accept();
        return;
    case Qt::Key_Escape:
        back();
        event->accept();
        return;
    default: DesignWidget::keyPressEvent(event);
    }
}

// ---- Dragging ----

std::optional<int> AdjustView::outlineAt(Point p) const
{
    if (!model_)
        return std::nullopt;
    const std::vector<Rect> frames = zoneFrames();
    const int count = std::min<int>(int(frames.size()), int(model_->rows().size()));
    // The one drawn last lies on top.
    for (int i = count - 1; i >= 0; --i)
        if (drawnFrame(i, frames[std::size_t(i)]).contains(p))
            return i;
    return std::nullopt;
}

void AdjustView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        DesignWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    pressed_ = outlineAt(toArea(event->position()));
    pressPoint_ = event->position();
    event->accept();
}

void AdjustView::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_)
        return;
    const double s = scale() > 0 ? scale() : 1.0;
    const QPointF delta = (event->position() - pressPoint_) / s;
    if (!dragging_ && std::hypot(delta.x(), delta.y()) < kDragThreshold)
        return;
    dragging_ = pressed_;
    dragOffset_ = QSizeF(delta.x(), delta.y());
    retarget();
    update();
}

void AdjustView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (dragging_) {
        const double s = scale() > 0 ? scale() : 1.0;
        const QPointF delta = (event->position() - pressPoint_) / s;
        drop(*dragging_, QSizeF(delta.x(), delta.y()));
    }
    pressed_.reset();
}

void AdjustView::drop(int index, QSizeF translation)
{
    const std::vector<Rect> frames = zoneFrames();
    if (index >= 0 && index < int(frames.size())) {
        const Rect lifted = drawnFrame(index, frames[std::size_t(index)]);
        dropFrom_ = Rect(lifted.x + translation.width(), lifted.y + translation.height(), lifted.width, lifted.height);
    }
    const auto target = dropTarget(frames, index, translation);
    dragging_.reset();
    dragOffset_ = QSizeF();
    retarget();
    if (target && model_)
        model_->swap(index, *target);
    else if (dropFrom_ && model_ && index < int(model_->rows().size()))
        moving_.insert(model_->rows()[std::size_t(index)].id, {*dropFrom_, now()});
    dropFrom_.reset();
    frames_->startRepeating(1.0 / 60);
    update();
}

void AdjustView::rowsSwapped(int i, int j)
{
    // Each of the two outlines moves from where it was to its new zone.
    const std::vector<Rect> frames = zoneFrames();
    const auto& rows = model_->rows();
    const double start = now();
    auto drawnAt = [&](int was) -> std::optional<Rect> {
        if (was < 0 || was >= int(frames.size()))
            return std::nullopt;
        return drawnFrame(was, frames[std::size_t(was)]);
    };
    // The row now at i was at j; the row now at j was at i, where a drop
    // (which swaps the dragged index i) lets go of it.
    if (i < int(rows.size()))
        if (const auto f = drawnAt(j))
            moving_.insert(rows[std::size_t(i)].id, {*f, start});
    if (j < int(rows.size()))
        if (const auto f = dropFrom_ ? dropFrom_ : drawnAt(i))
            moving_.insert(rows[std::size_t(j)].id, {*f, start});
    frames_->startRepeating(1.0 / 60);
    update();
}

// ---- Time ----

double AdjustView::now() const
{
    const Clock* clock = Environment::clock();
    return clock ? clock->monotonic() : 0;
}

qreal AdjustView::breath() const
{
    // 0 at the low point, 1 at the high one; 1.3 s each way.
    const double t = std::fmod(std::max(0.0, now() - shownAt_), 2 * kBreathSeconds) / kBreathSeconds;
    const double leg = t <= 1 ? t : 2 - t;
    return Tween::ease(Tween::Curve::easeInOut, leg);
}

void AdjustView::frame()
{
    const double t = now();
    for (auto it = moving_.begin(); it != moving_.end();)
        it = t - it->start >= kSwapSeconds ? moving_.erase(it) : std::next(it);
    update();
}

void AdjustView::showEvent(QShowEvent* event)
{
    DesignWidget::showEvent(event);
    shownAt_ = now();
    frames_->startRepeating(1.0 / 30);
    setFocus(Qt::OtherFocusReason);
    layoutBar();
}

void AdjustView::hideEvent(QHideEvent* event)
{
    frames_->stop();
    DesignWidget::hideEvent(event);
}

void AdjustView::resizeEvent(QResizeEvent* event)
{
    DesignWidget::resizeEvent(event);
    layoutBar();
}

void AdjustView::layoutBar()
{
    // The bar keeps its own size (in the display's points) however small the
    // display is drawn, centred on the drawing, near its top.
    const QRectF drawn = drawnArea();
    const double width = barWidth(area_.width);
    auto* glass = static_cast<TGlass*>(static_cast<AIGlow*>(bar_)->content());
    const int rowHeight = glass->content()->sizeHint().height();
    bar_->setGeometry(qRound(drawn.center().x() - width / 2 - kBarOutset), qRound(drawn.top() + kBarTop - kBarOutset),
                      qRound(width) + 2 * kBarOutset, rowHeight + 2 * kBarOutset);
    const int hintTop = qRound(drawn.top() + kBarTop + rowHeight + kHintGap);
    const QSize hint = hint_->sizeHint();
    hint_->setGeometry(qRound(drawn.center().x() - hint.width() / 2.0), hintTop - HintLabel::kPadding, hint.width(),
                       hint.height());
    hint_->raise();
    bar_->raise();
}

// ---- Drawing ----

void AdjustView::paintOutline(QPainter& painter, int index, const Rect& box, bool lifted, qreal emphasis) const
{
    const TTheme theme = t();
    const auto& rows = model_->rows();
    const auto units = model_->adjustRects();
    const QString app = rows[std::size_t(index)].app;
    const QString zone = units[std::size_t(index)].zoneName(index == 0);

    QRectF r = toQt(box);
    const bool cut = !Environment::translucentWindow(this);
    painter.save();
    if (lifted)
        lift(painter, r, cut);
    // `emphasis` runs from 0 to 1 as the outline becomes the drop target.
    const qreal restingAlpha = 0.09 + 0.06 * breath();
    const qreal fillAlpha = restingAlpha + (0.28 - restingAlpha) * emphasis;
    const QColor fill = withAlpha(theme.accent, fillAlpha);
    Squircle::fill(painter, r, 9, cut ? over(fill, kCutBase) : fill);

    const QColor border = withAlpha(theme.accent, 0.7);
    dashedBorder(painter, r, cut ? over(border, over(fill, kCutBase)) : border, 1.5 + emphasis);

    paintLabel(painter, r, app, zone);
    painter.restore();
}

void AdjustView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The dim layer only where it can dim: a cut window would drop it.
    const QRectF drawn = drawnArea();
    if (Environment::translucentWindow(this))
        painter.fillRect(drawn, withAlpha(Qt::black, 0.12));
    if (!model_)
        return;
    const double s = scale();
    painter.translate(drawn.topLeft());
    painter.scale(s, s);

    const std::vector<Rect> frames = zoneFrames();
    const auto& rows = model_->rows();
    const int count = std::min<int>(int(frames.size()), int(rows.size()));
    const double t = now();
    auto boxOf = [&](int i) {
        Rect box = drawnFrame(i, frames[std::size_t(i)]);
        if (dragging_ == i)
            return Rect(box.x + dragOffset_.width(), box.y + dragOffset_.height(), box.width, box.height);
        const auto it = moving_.constFind(rows[std::size_t(i)].id);
        if (it != moving_.constEnd()) {
            const double progress = std::clamp((t - it->start) / kSwapSeconds, 0.0, 1.0);
            box = lerp(it->from, box, Tween::ease(Tween::Curve::easeOut, progress));
        }
        return box;
    };
    for (int i = 0; i < count; ++i)
        if (dragging_ != i)
            paintOutline(painter, i, boxOf(i), false, targetEmphasis(i));
    if (dragging_ && *dragging_ < count)
        paintOutline(painter, *dragging_, boxOf(*dragging_), true, targetEmphasis(*dragging_));
}

} // namespace tavrin
