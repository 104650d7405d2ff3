#include "focus/views/menus.h"

#include "design/designfont.h"
#include "design/environment.h"

namespace tavrin {

QMenu* Menus::make(QWidget* owner)
{
    auto* menu = new QMenu(owner);
    const TTheme t = Environment::theme(owner);
    const bool dark = Environment::colorScheme(owner) == ColorScheme::dark;
    QPalette p = menu->palette();
    QColor base = dark ? t.winTB : t.winBG;
    base.setAlpha(255);
    p.setColor(QPalette::Window, base);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::WindowText, t.ink);
    p.setColor(QPalette::Text, t.ink);
    p.setColor(QPalette::ButtonText, t.ink);
    p.setColor(QPalette::Highlight, t.accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    QColor disabled = t.muted;
    disabled.setAlphaF(0.6f);
    p.setColor(QPalette::Disabled, QPalette::Text, disabled);
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    // The style etches disabled text with the light colour, a second copy
    // set off by a pixel: nothing is drawn for it here.
    p.setColor(QPalette::Disabled, QPalette::Light, Qt::transparent);
    menu->setPalette(p);
    menu->setFont(DesignFont::system(13));
    return menu;
}

void Menus::popUnder(QMenu* menu, QWidget* under) { menu->popup(under->mapToGlobal(QPoint(0, under->height() + 2))); }

} // namespace tavrin
