#include "platform/linux/plistdefaults.h"

#include "platform/linux/plistcodec.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tavrin {

namespace {

std::optional<QVariantMap> readDictionary(QFile& file, QString* why)
{
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *why = file.errorString();
        return std::nullopt;
    }
    file.close();
    const auto root = PlistCodec::fromData(bytes, why);
    if (!root)
        return std::nullopt;
    if (root->typeId() != QMetaType::QVariantMap) {
        *why = QStringLiteral("its top level is not a dictionary");
        return std::nullopt;
    }
    return root->toMap();
}

// QSaveFile writes a temporary file beside `path` and renames it over the old
// file only once everything is written and flushed. The error, or empty.
QString writeAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    // A short write is no error to QSaveFile, which would commit the cut file:
    // write on until all is written or the system names the failure.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return file.errorString();
        done += n;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace

PlistDefaults::PlistDefaults(QString path, QObject* parent) : Defaults(parent), path_(std::move(path))
{
    load();
}

QString PlistDefaults::defaultPath()
{
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/tavrin/defaults.plist");
}

void PlistDefaults::load()
{
    QFile file(path_);
    if (!file.exists())
        return;
    QString why;
    if (auto map = readDictionary(file, &why)) {
        values_ = std::move(*map);
        return;
    }
    const QString aside = moveAside();
    if (aside.isEmpty()) {
        writable_ = false;
        loadProblem_ = QStringLiteral("The settings file %1 could not be read (%2). It could not be moved aside "
                                      "either, so changed settings will not be saved.")
                           .arg(path_, why);
    } else {
        loadProblem_ = QStringLiteral("The settings file %1 could not be read (%2). It was moved to %3 and the "
                                      "settings start empty.")
                           .arg(path_, why, aside);
    }
    qWarning().noquote() << loadProblem_;
}

// Renames the damaged file to a name of its own, never over another file.
QString PlistDefaults::moveAside()
{
    const QString base =
        path_ + QStringLiteral(".corrupt-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; n <= 100; ++n) {
        if (!QFileInfo::exists(target))
            return QFile::rename(path_, target) ? target : QString();
        target = base + QLatin1Char('-') + QString::number(n);
    }
    return {};
}

void PlistDefaults::save()
{
    if (!writable_)
        return;
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder)) {
        setWriteProblem(QStringLiteral("Couldn't save the settings: the folder %1 can't be made.").arg(folder));
        return;
    }
    const QString error = writeAtomically(path_, PlistCodec::toXml(values_));
    if (!error.isEmpty()) {
        setWriteProblem(
            QStringLiteral("Couldn't save the settings to %1 (%2). The previous file was kept.").arg(path_, error));
        return;
    }
    setWriteProblem(QString());
}

void PlistDefaults::setWriteProblem(const QString& problem)
{
    if (problem == writeProblem_)
        return;
    writeProblem_ = problem;
    if (!problem.isEmpty())
        qWarning().noquote() << problem;
    emit problemChanged();
}

std::optional<QVariant> PlistDefaults::value(const QString& key) const
{
    const auto it = values_.constFind(key);
    if (it == values_.cend())
        return std::nullopt;
    return *it;
}

void PlistDefaults::setValue(const QString& key, const QVariant& value)
{
    // No value at all removes the key, as in the in-memory store.
    if (!value.isValid()) {
        remove(key);
        return;
    }
    QString why;
    auto stored = PlistCodec::normalised(value, &why);
    if (!stored) {
        qWarning().noquote()
            << QStringLiteral("Setting \"%1\" not stored: it holds %2, which a property list cannot hold.").arg(key, why);
        return;
    }
    if (key.contains(QChar(0))) {
        qWarning().noquote() << QStringLiteral("Setting not stored: its name holds a NUL character.");
        return;
    }
    values_.insert(key, std::move(*stored));
    save();
    emit changed(key);
}

void PlistDefaults::remove(const QString& key)
{
    if (values_.remove(key) == 0)
        return;
    save();
    emit changed(key);
}

QStringList PlistDefaults::keys() const { return values_.keys(); }

std::optional<QVariant> PlistDefaults::foreignValue(const QString& domain, const QString& key) const
{
    // A domain names a file in the domains folder, never a path.
    if (domain.isEmpty() || domain.startsWith(QLatin1Char('.')) || domain.contains(QLatin1Char('/'))
        || domain.contains(QChar(0)))
        return std::nullopt;
    QFile file(QFileInfo(path_).absolutePath() + QStringLiteral("/domains/") + domain + QStringLiteral(".plist"));
    if (!file.exists())
        return std::nullopt;
    QString why;
    const auto map = readDictionary(file, &why);
    if (!map)
        return std::nullopt;
    const auto it = map->constFind(key);
    if (it == map->cend())
        return std::nullopt;
    return *it;
}

} // namespace tavrin
