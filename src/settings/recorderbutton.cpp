#include "settings/recorderbutton.h"

#include "design/designfont.h"
#include "design/environment.h"
#include "design/kbd.h"
#include "design/squircle.h"
#include "design/tfieldstyle.h"
#include "platform/linuxwords.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

RecorderButton::RecorderButton(QWidget* parent) : QAbstractButton(parent)
{
    setFixedHeight(kSize.height());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setFont(DesignFont::system(12));
    new EnvironmentWatcher(this);
}

void RecorderButton::setCombo(const QStringList& keys)
{
    combo_ = keys;
    setAccessibleDescription(keys.isEmpty() ? tr("None") : combo());
    updateGeometry();
    update();
}

QString RecorderButton::combo() const { return LinuxWords::runningText(combo_); }

QSize RecorderButton::sizeHint() const
{
    constexpr int kPad = 10; // around the caps
    const int caps = int(std::ceil(Kbd::size(combo_).width())) + 2 * kPad;
    return {std::max(kSize.width(), caps), kSize.height()};
}

void RecorderButton::setListening(bool listening)
{
    listening_ = listening;
    update();
}

void RecorderButton::paintEvent(QPaintEvent*)
{
    const TTheme t = Environment::theme(this);
    const TFieldStyle::Look look = TFieldStyle::look(t);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect());
    Squircle::fill(p, face, TFieldStyle::kRadius, look.background);
    if (listening_) {
        Squircle::strokeInside(p, face, TFieldStyle::kRadius, 1.5, t.accent);
        p.setFont(font());
        p.setPen(t.accent);
        p.drawText(face, Qt::AlignCenter, tr("Type a shortcut"));
        return;
    }
    Squircle::hairline(p, face, TFieldStyle::kRadius, look.border);
    if (combo_.isEmpty()) {
        p.setFont(font());
        p.setPen(t.muted);
        p.drawText(face, Qt::AlignCenter, tr("None"));
        return;
    }
    const QSizeF cap = Kbd::size(combo_);
    Kbd::paint(p, QRectF(face.center() - QPointF(cap.width() / 2, cap.height() / 2), cap), combo_, t, false);
}

} // namespace tavrin
