#include "modes/veilpanel.h"

#include "design/environment.h"
#include "design/ttheme.h"
#include "design/windowtranslucency.h"
#include "modes/veillabel.h"

#include <QPainter>
#include <QPainterPath>

namespace tavrin {

namespace {
QColor glass(const QWidget* widget) { return VeilPanel::fill(widget); }

QPainterPath rounded(const QRectF& rect)
{
    QPainterPath path;
    path.addRoundedRect(rect, VeilPanel::kCornerRadius, VeilPanel::kCornerRadius);
    return path;
}
} // namespace

QColor VeilPanel::fill(const QWidget* widget)
{
    // The glass colour, opaque whatever the theme's alpha.
    QColor colour = TTheme::forScheme(Environment::colorScheme(widget)).glassStrong;
    colour.setAlpha(255);
    return colour;
}

VeilPanel::VeilPanel(const QString& app, const ShareSafe& share, const ShortcutStore& shortcuts, VeilSurfaces& surfaces,
                     std::uint32_t covered)
{
    // Decided before the window exists: a translucent window needs a visual
    // with alpha, and only a compositor shows its translucent parts. Without
    // a blur behind it a see-through veil would only cost a window repainted
    // with its private window: the opaque cover drawn by the server is then
    // the whole veil.
    translucent_ = surfaces.windowed() && WindowTranslucency::compositing() && WindowTranslucency::blurOffered();
    blur_ = translucent_;
    if (translucent_) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // What the window system fills the veil with before it has drawn.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, glass(this));
    setPalette(colours);
    Environment::setWindowBackdrop(this, translucent_, blur_);
    label_ = new VeilLabel(app, share, shortcuts, this);
    surface_ = surfaces.make(*this, covered);
}

VeilPanel::~VeilPanel()
{
    // Off the screen before the window goes.
    surface_.reset();
}

void VeilPanel::resizeEvent(QResizeEvent*)
{
    label_->setGeometry(rect());
    if (blur_)
        blur_ = WindowTranslucency::blurBehind(this, QRegion(rounded(QRectF(rect())).toFillPolygon().toPolygon()));
}

void VeilPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (blur_)
        return; // the window system's blur shows through
    if (!translucent_) {
        p.fillRect(rect(), glass(this));
        return;
    }
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(rounded(QRectF(rect())), glass(this));
}

} // namespace tavrin
