#include "design/tfield.h"

#include "design/environment.h"
#include "design/squircle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tavrin {

namespace {
// A frameless line edit keeps 2 points at the sides and 1 above and below of
// its own; the margins make up the rest of the padding.
constexpr int kOwnX = 2;
constexpr int kOwnY = 1;
} // namespace

TField::TField(bool mono, QWidget* parent) : QLineEdit(parent), style_(mono)
{
    setFrame(false);
    setFont(style_.font());
    const QMarginsF& p = TFieldStyle::kPadding;
    setTextMargins(int(p.left()) - kOwnX, int(p.top()) - kOwnY, int(p.right()) - kOwnX, int(p.bottom()) - kOwnY);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    // The background is painted in paintEvent. A style sheet on a window
    // around the field (the Settings window has one) would otherwise have
    // the line edit fill its panel with the application's white base.
    setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
    new EnvironmentWatcher(this, [this] { refresh(); });
    refresh();
}

void TField::refresh()
{
    const TFieldStyle::Look l = TFieldStyle::look(Environment::theme(this));
    QPalette p = palette();
    if (p.color(QPalette::Text) == l.text && p.color(QPalette::PlaceholderText) == l.placeholder)
        return;
    p.setColor(QPalette::Text, l.text);
    p.setColor(QPalette::PlaceholderText, l.placeholder);
    p.setColor(QPalette::Base, Qt::transparent);
    setPalette(p);
}

QSize TField::sizeHint() const
{
    const QFontMetricsF fm(font());
    const QMarginsF& p = TFieldStyle::kPadding;
    return {int(std::ceil(fm.averageCharWidth() * 17 + p.left() + p.right())),
            int(std::ceil(fm.height() + p.top() + p.bottom()))};
}

QSize TField::minimumSizeHint() const
{
    const QFontMetricsF fm(font());
    const QMarginsF& p = TFieldStyle::kPadding;
    return {int(std::ceil(fm.averageCharWidth() * 2 + p.left() + p.right())),
            int(std::ceil(fm.height() + p.top() + p.bottom()))};
}

void TField::paintEvent(QPaintEvent* event)
{
    refresh();
    {
        const TFieldStyle::Look l = TFieldStyle::look(Environment::theme(this));
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Squircle::fill(painter, rect(), TFieldStyle::kRadius, l.background);
        Squircle::hairline(painter, rect(), TFieldStyle::kRadius, l.border);
    }
    QLineEdit::paintEvent(event);
}

} // namespace tavrin
