#include "design/environment.h"

#include "design/themed.h"
#include "platform/panelwindows.h"
#include "platform/platform.h"

#include <QWidget>

namespace tavrin {

namespace {
const char* const kThemeProperty = "_tavrin_theme";
const char* const kSchemeProperty = "_tavrin_colorScheme";
const char* const kCutProperty = "_tavrin_cutToShape";
const char* const kBlurProperty = "_tavrin_blurBehind";
} // namespace

QEvent::Type Environment::changeEvent()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

Appearance* Environment::appearance() { return Platform::isInstalled() ? Platform::current().appearance : nullptr; }

Clock* Environment::clock() { return Platform::isInstalled() ? Platform::current().clock : nullptr; }

PanelWindows& Environment::panelWindows()
{
    static PanelWindows nothingAsked;
    PanelWindows* installed = Platform::isInstalled() ? Platform::current().panelWindows : nullptr;
    return installed ? *installed : nothingAsked;
}

bool Environment::reduceMotion()
{
    const Appearance* a = appearance();
    return a && a->reduceMotion();
}

bool Environment::blurAvailable()
{
    const Appearance* a = appearance();
    return a && a->blurAvailable();
}

QColor Environment::systemAccent()
{
    const Appearance* a = appearance();
    QColor accent = a ? a->accentColor() : QColor();
    return accent.isValid() ? accent : QColor(0, 122, 255);
}

ColorScheme Environment::colorScheme(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant v = w->property(kSchemeProperty);
        if (v.isValid())
            return ColorScheme(v.toInt());
    }
    const Appearance* a = appearance();
    return a ? a->colorScheme() : ColorScheme::dark;
}

bool Environment::translucentWindow(const QWidget* widget)
{
    return !(widget && widget->window()->property(kCutProperty).toBool());
}

bool Environment::blurBehind(const QWidget* widget)
{
    return widget && widget->window()->property(kBlurProperty).toBool();
}

void Environment::setWindowBackdrop(QWidget* window, bool translucent, bool blur)
{
    if (translucentWindow(window) == translucent && blurBehind(window) == blur)
        return;
    window->setProperty(kCutProperty, !translucent);
    window->setProperty(kBlurProperty, blur);
    notify(window);
}

TTheme Environment::theme(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant v = w->property(kThemeProperty);
        if (v.isValid())
            return v.value<TTheme>();
        if (qobject_cast<const Themed*>(w))
            return TTheme::forScheme(colorScheme(w));
    }
    return TTheme::dark();
}

void Environment::setTheme(QWidget* host, const std::optional<TTheme>& theme)
{
    host->setProperty(kThemeProperty, theme ? QVariant::fromValue(*theme) : QVariant());
    notify(host);
}

void Environment::setColorScheme(QWidget* host, std::optional<ColorScheme> scheme)
{
    host->setProperty(kSchemeProperty, scheme ? QVariant(int(*scheme)) : QVariant());
    notify(host);
}

void Environment::notify(QWidget* root)
{
    QEvent event(changeEvent());
    QCoreApplication::sendEvent(root, &event);
    const auto children = root->findChildren<QWidget*>();
    for (QWidget* child : children) {
        QEvent e(changeEvent());
        QCoreApplication::sendEvent(child, &e);
    }
}

EnvironmentWatcher::EnvironmentWatcher(QWidget* widget, std::function<void()> onChange)
    : QObject(widget),
      widget_(widget),
      onChange_(std::move(onChange))
{
    widget->installEventFilter(this);
    if (Appearance* a = Environment::appearance()) {
        connect(a, &Appearance::colorSchemeChanged, this, &EnvironmentWatcher::changed);
        connect(a, &Appearance::reduceMotionChanged, this, &EnvironmentWatcher::changed);
        connect(a, &Appearance::accentColorChanged, this, &EnvironmentWatcher::changed);
        connect(a, &Appearance::blurAvailableChanged, this, &EnvironmentWatcher::changed);
    }
}

bool EnvironmentWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == widget_ && (event->type() == QEvent::ParentChange || event->type() == Environment::changeEvent()))
        changed();
    return QObject::eventFilter(watched, event);
}

void EnvironmentWatcher::changed()
{
    if (onChange_)
        onChange_();
    else
        widget_->update();
}

} // namespace tavrin
