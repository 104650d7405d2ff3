#include "commandbar/keybutton.h"

#include "design/designfont.h"
#include "design/environment.h"
#include "design/kbd.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {
constexpr qreal kSpacing = 6;
constexpr qreal kMinimumScale = 0.85;
} // namespace

KeyButton::KeyButton(const QString& key, const QString& caption, Face face, QWidget* parent)
    : KeyButton(QStringList{key}, caption, face, parent)
{}

KeyButton::KeyButton(const QStringList& keys, const QString& caption, Face face, QWidget* parent)
    : QAbstractButton(parent),
      key_(keys),
      caption_(caption),
      face_(face)
{
    setText(caption);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setSizePolicy(face == Face::plain ? QSizePolicy::Preferred : QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QMarginsF KeyButton::padding() const
{
    if (face_ == Face::plain)
        return {};
    return TButtonStyle(face_ == Face::primary ? TButtonStyle::Kind::primary : TButtonStyle::Kind::normal)
        .look(TTheme::dark(), false)
        .padding;
}

QSize KeyButton::sizeHint() const
{
    const QFontMetricsF fm(DesignFont::system(TButtonStyle::kFontSize));
    const QSizeF cap = Kbd::size(key_);
    const QMarginsF pad = padding();
    const qreal width = pad.left() + cap.width() + kSpacing + fm.horizontalAdvance(caption_) + pad.right();
    const qreal height = pad.top() + std::max(cap.height(), fm.height()) + pad.bottom();
    return {int(std::ceil(width)), int(std::ceil(height))};
}

QSize KeyButton::minimumSizeHint() const
{
    if (face_ != Face::plain)
        return sizeHint();
    return {int(std::ceil(Kbd::size(key_).width() + kSpacing)), sizeHint().height()};
}

QFont KeyButton::captionFont(qreal available) const
{
    QFont font = DesignFont::system(TButtonStyle::kFontSize);
    const qreal natural = QFontMetricsF(font).horizontalAdvance(caption_);
    if (face_ == Face::plain && natural > available && natural > 0)
        DesignFont::setSize(font, TButtonStyle::kFontSize * std::max(kMinimumScale, available / natural));
    return font;
}

void KeyButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.5);
    const TTheme t = Environment::theme(this);
    const QRectF bounds = QRectF(rect());
    QColor foreground = t.muted;
    if (face_ != Face::plain) {
        const TButtonStyle style(face_ == Face::primary ? TButtonStyle::Kind::primary : TButtonStyle::Kind::normal);
        style.paint(painter, bounds, QString(), QIcon(), t, isDown());
        foreground = style.look(t, isDown()).foreground;
    }
    const QMarginsF pad = padding();
    const QRectF inner = bounds.marginsRemoved(pad);
    const QSizeF cap = Kbd::size(key_);
    const qreal available = inner.width() - cap.width() - kSpacing;
    const QFont font = captionFont(available);
    const QString shown = QFontMetricsF(font).elidedText(caption_, Qt::ElideRight, std::max<qreal>(available, 0));
    const qreal contentWidth = cap.width() + kSpacing + QFontMetricsF(font).horizontalAdvance(shown);
    qreal x = face_ == Face::plain ? inner.left() : inner.center().x() - contentWidth / 2;
    Kbd::paint(painter, QRectF(x, inner.center().y() - cap.height() / 2, cap.width(), cap.height()), key_, t,
               face_ == Face::primary);
    x += cap.width() + kSpacing;
    painter.setFont(font);
    painter.setPen(foreground);
    painter.drawText(QRectF(x, inner.top(), inner.right() - x + 1, inner.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

} // namespace tavrin
