#include "platform/linux/desktopappearance.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <cmath>

namespace tavrin {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kPortalSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString kGnomeInterface = QStringLiteral("org.gnome.desktop.interface");
const QString kKdeGlobals = QStringLiteral("org.kde.kdeglobals.KDE");

const QString kKWinService = QStringLiteral("org.kde.KWin");
const QString kKWinCompositor = QStringLiteral("/Compositor");
const QString kKWinCompositing = QStringLiteral("org.kde.kwin.Compositing");

// A slow or hung portal must not leave the values waiting for long.
constexpr int kCallTimeoutMs = 2000;

// Portal values arrive wrapped in one or two variants.
QVariant unwrap(QVariant value)
{
    while (value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

DesktopAppearance::DesktopAppearance(QObject* parent) : Appearance(parent)
{
    if (qGuiApp)
        qGuiApp->installEventFilter(this);
    recompute();

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(kPortalService, kPortalPath, kPortalSettings, QStringLiteral("SettingChanged"), this,
                SLOT(portalSettingChanged(QString, QString, QDBusVariant)));
    readPortal(kAppearanceNamespace, QStringLiteral("color-scheme"));
    readPortal(kAppearanceNamespace, QStringLiteral("accent-color"));
    readPortal(kGnomeInterface, QStringLiteral("enable-animations"));
    readPortal(kKdeGlobals, QStringLiteral("AnimationDurationFactor"));

    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        bus.connect(kKWinService, kKWinCompositor, kKWinCompositing, QStringLiteral("compositingToggled"), this,
                    SLOT(compositingToggled(bool)));
        readCompositing();
    }
}

std::optional<ColorScheme> DesktopAppearance::schemeFromPortal(const QVariant& value)
{
    const QVariant v = unwrap(value);
    bool ok = false;
    const uint scheme = v.toUInt(&ok);
    if (!ok)
        return std::nullopt;
    if (scheme == 1)
        return ColorScheme::dark;
    if (scheme == 2)
        return ColorScheme::light;
    return std::nullopt;
}

std::optional<QColor> DesktopAppearance::accentFromPortal(const QVariant& value)
{
    const QVariant v = unwrap(value);
    double rgb[3] = {-1, -1, -1};
    if (v.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument arg = v.value<QDBusArgument>();
        if (arg.currentType() != QDBusArgument::StructureType)
            return std::nullopt;
        arg.beginStructure();
        for (double& c : rgb) {
            if (arg.atEnd())
                return std::nullopt;
            arg >> c;
        }
        arg.endStructure();
    } else if (v.canConvert<QVariantList>()) {
        const QVariantList list = v.toList();
        if (list.size() != 3)
            return std::nullopt;
        for (int i = 0; i < 3; ++i) {
            bool ok = false;
            rgb[i] = list[i].toDouble(&ok);
            if (!ok)
                return std::nullopt;
        }
    } else {
        return std::nullopt;
    }
    for (double c : rgb)
        if (!(c >= 0.0 && c <= 1.0)) // also rejects NaN
            return std::nullopt;
    return QColor::fromRgbF(float(rgb[0]), float(rgb[1]), float(rgb[2]));
}

std::optional<bool> DesktopAppearance::reduceMotionFromSetting(const QString& nameSpace, const QString& key,
                                                               const QVariant& value)
{
    const QVariant v = unwrap(value);
    if (nameSpace == kGnomeInterface && key == QLatin1String("enable-animations")) {
        if (v.userType() != QMetaType::Bool)
            return std::nullopt;
        return !v.toBool();
    }
    if (nameSpace == kKdeGlobals && key == QLatin1String("AnimationDurationFactor")) {
        bool ok = false;
        const double factor = v.toDouble(&ok);
        if (!ok || std::isnan(factor))
            return std::nullopt;
        return factor <= 0.0;
    }
    return std::nullopt;
}

ColorScheme DesktopAppearance::schemeFromWindowColor(const QColor& window)
{
    return window.lightness() < 128 ? ColorScheme::dark : ColorScheme::light;
}

bool DesktopAppearance::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qGuiApp && event->type() == QEvent::ApplicationPaletteChange)
        recompute();
    return Appearance::eventFilter(watched, event);
}

void DesktopAppearance::readPortal(const QString& nameSpace, const QString& key)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPortalService, kPortalPath, kPortalSettings, QStringLiteral("Read"));
    call << nameSpace << key;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, nameSpace, key] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        // No portal, or a key it does not know: the fallback stays.
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        applySetting(nameSpace, key, reply.arguments().constFirst());
    });
}

void DesktopAppearance::readCompositing()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        kKWinService, kKWinCompositor, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << kKWinCompositing << QStringLiteral("active");
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        compositingToggled(unwrap(reply.arguments().constFirst()).toBool());
    });
}

void DesktopAppearance::portalSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value)
{
    applySetting(nameSpace, key, value.variant());
}

void DesktopAppearance::compositingToggled(bool active)
{
    compositing_ = active;
    recompute();
}

void DesktopAppearance::applySetting(const QString& nameSpace, const QString& key, const QVariant& value)
{
    if (nameSpace == kAppearanceNamespace && key == QLatin1String("color-scheme"))
        portalScheme_ = schemeFromPortal(value);
    else if (nameSpace == kAppearanceNamespace && key == QLatin1String("accent-color"))
        portalAccent_ = accentFromPortal(value);
    else if (auto reduce = reduceMotionFromSetting(nameSpace, key, value))
        settingReduceMotion_ = reduce;
    else
        return;
    recompute();
}

void DesktopAppearance::recompute()
{
    const QPalette palette = qGuiApp ? QGuiApplication::palette() : QPalette();
    const ColorScheme scheme = portalScheme_.value_or(schemeFromWindowColor(palette.color(QPalette::Window)));
    QColor accent = portalAccent_.value_or(palette.color(QPalette::Highlight).toRgb());
    accent.setAlphaF(1.0);
    const bool reduce = settingReduceMotion_.value_or(false);
    const bool blur = compositing_ && QGuiApplication::platformName() == QLatin1String("xcb");

    const bool first = !accent_.isValid();
    if (first || scheme != scheme_) {
        scheme_ = scheme;
        if (!first)
            emit colorSchemeChanged(scheme);
    }
    if (first || accent != accent_) {
        accent_ = accent;
        if (!first)
            emit accentColorChanged(accent);
    }
    if (reduce != reduceMotion_) {
        reduceMotion_ = reduce;
        emit reduceMotionChanged(reduce);
    }
    if (blur != blur_) {
        blur_ = blur;
        emit blurAvailableChanged(blur);
    }
}

} // namespace tavrin
