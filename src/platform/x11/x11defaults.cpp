#include "platform/x11/x11defaults.h"

#include "platform/clock.h"

#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tavrin {

QStringList X11Defaults::gnomeEdgeTilingCommand()
{
    return {QStringLiteral("gsettings"), QStringLiteral("get"), QStringLiteral("org.gnome.mutter"),
            QStringLiteral("edge-tiling")};
}

QString X11Defaults::gnomeSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/dconf/user");
}

X11Defaults::X11Defaults(Defaults& inner, Clock& clock, QStringList edgeTilingCommand, QString settingsFile,
                         QObject* parent)
    : Defaults(parent),
      inner_(inner),
      clock_(clock),
      command_(std::move(edgeTilingCommand)),
      settingsFile_(std::move(settingsFile))
{
    connect(&inner_, &Defaults::changed, this, &Defaults::changed);
    connect(&inner_, &Defaults::problemChanged, this, &Defaults::problemChanged);
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
    const QFileInfo file(settingsFile_);
    if (settingsFile_.isEmpty() || !file.exists())
        return {};
    return QStringLiteral("%1 %2").arg(file.size()).arg(file.lastModified().toMSecsSinceEpoch());
}

void X11Defaults::refreshEdgeTiling() const
{
    const double now = clock_.monotonic();
    if (running_ || now - lastRefresh_ < kRefreshInterval)
        return;
    const QString stamp = settingsStamp();
    if (refreshedStamp_ == stamp)
        return;
    lastRefresh_ = now;
    refreshedStamp_ = stamp;
    if (command_.isEmpty() || QStandardPaths::findExecutable(command_.first()).isEmpty()) {
        edgeTiling_ = false;
        return;
    }
    auto* p = new QProcess(const_cast<X11Defaults*>(this));
    running_ = p;
    connect(p, &QProcess::finished, this, [this, p](int code, QProcess::ExitStatus status) {
        const QByteArray out = p->readAllStandardOutput().trimmed();
        // Without GNOME's schema the command fails: no edge tiling then.
        edgeTiling_ = status == QProcess::NormalExit && code == 0 && out == "true";
        p->deleteLater();
    });
    connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            edgeTiling_ = false;
            p->deleteLater();
        }
    });
    p->start(command_.first(), command_.mid(1));
}

} // namespace tavrin
