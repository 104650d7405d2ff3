#include "platform/x11/x11defaults.h"

#include "platform/clock.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tavrin {

X11Defaults::EdgeTilingSource X11Defaults::edgeTilingSource(const QString& desktop, const QString& configHome)
{
    const QString dconf = configHome + QStringLiteral("/dconf/user");
    auto gsettings = [&](const QString& schema) {
        return EdgeTilingSource{
            true, {QStringLiteral("gsettings"), QStringLiteral("get"), schema, QStringLiteral("edge-tiling")}, dconf};
    };
    // Most specific first: "ubuntu:GNOME" is GNOME.
    for (const QString& name : desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString d = name.toUpper();
        if (d == QLatin1String("GNOME"))
            return gsettings(QStringLiteral("org.gnome.mutter"));
        if (d == QLatin1String("X-CINNAMON") || d == QLatin1String("CINNAMON"))
            return gsettings(QStringLiteral("org.cinnamon.muffin"));
        if (d == QLatin1String("KDE"))
            return {true, {}, configHome + QStringLiteral("/kwinrc")};
        if (d == QLatin1String("XFCE"))
            return {true,
                    {QStringLiteral("xfconf-query"), QStringLiteral("-c"), QStringLiteral("xfwm4"),
                     QStringLiteral("-p"), QStringLiteral("/general/tile_on_move")},
                    configHome + QStringLiteral("/xfce4/xfconf/xfce-perchannel-xml/xfwm4.xml")};
    }
    return {};
}

X11Defaults::EdgeTilingSource X11Defaults::runningDesktopSource(const QString& desktop)
{
    return edgeTilingSource(desktop, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

bool X11Defaults::kwinTiles(const QString& kwinrc)
{
    // Written by KDE's settings as "key=false" under [Windows]; a missing
    // file or key is KDE's default, on.
    QFile file(kwinrc);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return true;
    bool inWindows = false;
    bool top = true, side = true;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inWindows = line == QLatin1String("[Windows]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inWindows || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const bool off = line.mid(equals + 1).trimmed().compare(QLatin1String("false"), Qt::CaseInsensitive) == 0;
        if (key == QLatin1String("ElectricBorderMaximize"))
            top = !off;
        else if (key == QLatin1String("ElectricBorderTiling"))
            side = !off;
    }
    return top || side;
}

X11Defaults::X11Defaults(Defaults& inner, Clock& clock, EdgeTilingSource source, QObject* parent)
    : Defaults(parent),
      inner_(inner),
      clock_(clock),
      source_(std::move(source))
{
    connect(&inner_, &Defaults::changed, this, &Defaults::changed);
    connect(&inner_, &Defaults::problemChanged, this, &Defaults::problemChanged);
    // Until its setting is read, a desktop that tiles does as it does by
    // default: the first-run window does not say "Off" for the moment the
    // command takes and then change its mind.
    edgeTiling_ = source_.tiles;
    refreshEdgeTiling();
}

X11Defaults::~X11Defaults() { stopRefresh(); }

void X11Defaults::stopRefresh()
{
    if (!running_)
        return;
    running_->disconnect();
    running_->kill();
    running_->waitForFinished(1000);
    delete running_.data();
}

std::optional<QVariant> X11Defaults::value(const QString& key) const { return inner_.value(key); }
void X11Defaults::setValue(const QString& key, const QVariant& value) { inner_.setValue(key, value); }
void X11Defaults::remove(const QString& key) { inner_.remove(key); }
QStringList X11Defaults::keys() const { return inner_.keys(); }
void X11Defaults::replace(const QStringList& removed, const QVariantMap& values) { inner_.replace(removed, values); }
QString X11Defaults::saveProblem() const { return inner_.saveProblem(); }

std::optional<QVariant> X11Defaults::foreignValue(const QString& domain, const QString& key) const
{
    if (domain != QLatin1String("com.apple.WindowManager"))
        return inner_.foreignValue(domain, key);
    // A click on the wallpaper never reveals the desktop here.
    if (key == QLatin1String("EnableStandardClickToShowDesktop"))
        return QVariant(false);
    if (key != QLatin1String("EnableTilingByEdgeDrag") && key != QLatin1String("EnableTopTilingByEdgeDrag"))
        return std::nullopt;
    refreshEdgeTiling();
    return QVariant(edgeTiling_);
}

QString X11Defaults::settingsStamp() const
{
    const QFileInfo file(source_.file);
    if (source_.file.isEmpty() || !file.exists())
        return {};
    return QStringLiteral("%1 %2").arg(file.size()).arg(file.lastModified().toMSecsSinceEpoch());
}

void X11Defaults::refreshEdgeTiling() const
{
    if (!source_.tiles) {
        edgeTiling_ = false;
        return;
    }
    const double now = clock_.monotonic();
    if (running_ || now - lastRefresh_ < kRefreshInterval)
        return;
    const QString stamp = settingsStamp();
    if (refreshedStamp_ == stamp)
        return;
    lastRefresh_ = now;
    refreshedStamp_ = stamp;
    if (source_.command.isEmpty())
        edgeTiling_ = kwinTiles(source_.file);
    else
        runCommand();
}

void X11Defaults::runCommand() const
{
    // The desktop tiles: a setting that can't be read counts as on.
    if (QStandardPaths::findExecutable(source_.command.first()).isEmpty()) {
        edgeTiling_ = true;
        return;
    }
    auto* p = new QProcess(const_cast<X11Defaults*>(this));
    running_ = p;
    connect(p, &QProcess::finished, this, [this, p](int code, QProcess::ExitStatus status) {
        const QByteArray out = p->readAllStandardOutput().trimmed();
        edgeTiling_ = !(status == QProcess::NormalExit && code == 0 && out == "false");
        p->deleteLater();
    });
    connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            edgeTiling_ = true;
            p->deleteLater();
        }
    });
    p->start(source_.command.first(), source_.command.mid(1));
}

} // namespace tavrin
