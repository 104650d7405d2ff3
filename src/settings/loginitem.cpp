#include "settings/loginitem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace tavrin {

LoginItem::LoginItem(QString entryPath, QStringList command)
    : entryPath_(entryPath.isEmpty() ? defaultEntryPath() : std::move(entryPath)),
      command_(std::move(command))
{
    if (command_.isEmpty() && QCoreApplication::instance()) {
        command_ = QCoreApplication::arguments();
        if (command_.isEmpty())
            command_ << QString();
        command_[0] = QCoreApplication::applicationFilePath();
    }
}

QString LoginItem::defaultEntryPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/tavrin.desktop");
}

bool LoginItem::isEnabled() const
{
    QFile file(entryPath_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.section(QLatin1Char('='), 0, 0).trimmed() == QLatin1String("Hidden")
            && line.section(QLatin1Char('='), 1).trimmed() == QLatin1String("true"))
            return false;
    }
    return true;
}

QString LoginItem::execArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    // The value is a string first: its backslashes are escaped once more.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString LoginItem::entryText() const
{
    QStringList exec;
    for (const QString& argument : command_)
        exec << execArgument(argument);
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tavrin\n"
                          "Comment=Arranges your windows\n"
                          "Exec=%1\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(exec.join(QLatin1Char(' ')));
}

bool LoginItem::setEnabled(bool on, QString* error) const
{
    auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (!on) {
        if (!QFileInfo::exists(entryPath_))
            return true;
        QFile file(entryPath_);
        if (!file.remove())
            return fail(QCoreApplication::translate("LoginItem", "Couldn't remove %1: %2.")
                            .arg(QDir::toNativeSeparators(entryPath_), file.errorString()));
        return true;
    }
    if (command_.isEmpty() || command_.first().isEmpty())
        return fail(QCoreApplication::translate("LoginItem", "Couldn't tell where Tavrin is installed."));
    const QString folder = QFileInfo(entryPath_).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QCoreApplication::translate("LoginItem", "Couldn't make the folder %1.")
                        .arg(QDir::toNativeSeparators(folder)));
    QSaveFile file(entryPath_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return fail(QCoreApplication::translate("LoginItem", "Couldn't write %1: %2.")
                        .arg(QDir::toNativeSeparators(entryPath_), file.errorString()));
    file.write(entryText().toUtf8());
    if (!file.commit())
        return fail(QCoreApplication::translate("LoginItem", "Couldn't write %1: %2.")
                        .arg(QDir::toNativeSeparators(entryPath_), file.errorString()));
    return true;
}

} // namespace tavrin
