#include "platform/linux/plistdefaults.h"

#include "platform/linux/plistcodec.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace tavrin {

namespace {

// The dictionary at the top of property-list data.
std::optional<QVariantMap> dictionary(const QByteArray& bytes, QString* why, bool* lossy = nullptr)
{
    const auto root = PlistCodec::fromData(bytes, why, lossy);
    if (!root)
        return std::nullopt;
    if (root->typeId() != QMetaType::QVariantMap) {
        *why = QStringLiteral("its top level is not a dictionary");
        return std::nullopt;
    }
    return root->toMap();
}

} // namespace

PlistDefaults::PlistDefaults(QString path, QObject* parent) : Defaults(parent), path_(std::move(path))
{
    if (PrivateFile::othersCanRedirect(path_).isEmpty())
        PrivateFile::removeStaleTemporaries(path_);
    load();
    writer_ = std::make_unique<SettingsWriter>(path_, this, [this] { takeOutcomes(); });
}

PlistDefaults::~PlistDefaults()
{
    flush();
    writer_.reset();
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
    if (const QString why = PrivateFile::othersCanRedirect(path_); !why.isEmpty()) {
        redirectable_ = true;
        saveProblem_ = why;
        loadProblem_ = QStringLiteral("The settings are kept in memory and not saved, as %1; they are saved once only "
                                      "you can change it.")
                           .arg(why);
        qWarning().noquote() << loadProblem_;
        // A file of the user's own is read; anything else there is not
        // followed, since someone else may have put it there.
        if (!PrivateFile::isOwnRegularFile(path_))
            return;
    }
    const PrivateFile::Read file = PrivateFile::read(path_, kMaxFileSize);
    switch (file.outcome) {
    case PrivateFile::Read::Outcome::missing:
        if (QFileInfo(path_).isSymLink())
            followDanglingLink();
        return;
    case PrivateFile::Read::Outcome::unreadable:
        // Not damaged: left where it is, and never written over.
        writable_ = false;
        saveProblem_ = file.why;
        loadProblem_ = QStringLiteral("The settings file %1 can't be read (%2). The settings start empty and "
                                      "changes are kept until Tavrin quits, not saved.")
                           .arg(path_, file.why);
        qWarning().noquote() << loadProblem_;
        return;
    case PrivateFile::Read::Outcome::refused: setAside(file.why); return;
    case PrivateFile::Read::Outcome::ok: break;
    }
    QString why;
    bool lossy = false;
    if (auto map = dictionary(file.bytes, &why, &lossy)) {
        for (auto it = map->cbegin(); it != map->cend(); ++it)
            part(it.key()).insert(it.key(), it.value());
        if (lossy)
            keepOriginal(QStringLiteral("holds text that is not valid UTF-8"));
    } else {
        setAside(why);
    }
}

void PlistDefaults::keepOriginal(const QString& what)
{
    // A second name for the same file: the first write then replaces the
    // settings file, and the original stays whole under this one.
    const QString base =
        path_ + QStringLiteral(".corrupt-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString original = QFileInfo(path_).canonicalFilePath();
    QString kept;
    for (int n = 1; n <= 100; ++n) {
        const QString target = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        if (::link(QFile::encodeName(original).constData(), QFile::encodeName(target).constData()) == 0) {
            kept = target;
            break;
        }
        if (errno == EEXIST)
            continue;
        // No second name on this file system (or across two): a copy.
        if (!QFileInfo::exists(target) && QFile::copy(original, target))
            kept = target;
        break;
    }
    if (kept.isEmpty()) {
        writable_ = false;
        saveProblem_ = QStringLiteral("original file left in place");
        loadProblem_ = QStringLiteral("The settings file %1 %2, which is read as \uFFFD. It could not be kept aside, "
                                      "so changed settings will not be saved.")
                           .arg(path_, what);
    } else {
        PrivateFile::makePrivate(kept);
        loadProblem_ = QStringLiteral("The settings file %1 %2, which is read as \uFFFD; the original was kept as %3.")
                           .arg(path_, what, kept);
    }
    qWarning().noquote() << loadProblem_;
}

void PlistDefaults::followDanglingLink()
{
    const QFileInfo link(path_);
    const QString target = link.symLinkTarget();
    if (QFileInfo(QFileInfo(target).absolutePath()).isDir()) {
        loadProblem_ = QStringLiteral("The settings file %1 is a link to %2, which does not exist. The settings start "
                                      "empty and are saved there.")
                           .arg(path_, target);
    } else if (const QString aside = moveAside(QStringLiteral("link")); !aside.isEmpty()) {
        loadProblem_ = QStringLiteral("The settings file %1 is a link to %2, whose folder does not exist. The link was "
                                      "moved to %3; the settings start empty and are saved in its place.")
                           .arg(path_, target, aside);
    } else {
        writable_ = false;
        saveProblem_ = QStringLiteral("link to a missing folder");
        loadProblem_ = QStringLiteral("The settings file %1 is a link to %2, whose folder does not exist, and the link "
                                      "could not be moved aside, so changed settings will not be saved.")
                           .arg(path_, target);
    }
    qWarning().noquote() << loadProblem_;
}

void PlistDefaults::setAside(const QString& why)
{
    const QString aside = moveAside(QStringLiteral("corrupt"));
    if (aside.isEmpty()) {
        writable_ = false;
        saveProblem_ = QStringLiteral("damaged file left in place");
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

QString PlistDefaults::moveAside(const QString& infix)
{
    const QString base = path_ + QLatin1Char('.') + infix + QLatin1Char('-')
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; n <= 100; ++n) {
        if (PrivateFile::renameToNew(path_, target)) {
            PrivateFile::makePrivate(target);
            return target;
        }
        if (errno != EEXIST)
            return {};
        target = base + QLatin1Char('-') + QString::number(n);
    }
    return {};
}

bool PlistDefaults::stillRedirectable()
{
    if (!redirectable_ || !PrivateFile::othersCanRedirect(path_).isEmpty())
        return redirectable_;
    redirectable_ = false;
    loadProblem_.clear();
    saveProblem_.clear();
    emit problemChanged();
    return false;
}

void PlistDefaults::save()
{
    if (!writable_ || burstPending_ || stillRedirectable())
        return;
    burstPending_ = true;
    QMetaObject::invokeMethod(this, &PlistDefaults::saveBurst, Qt::QueuedConnection);
}

void PlistDefaults::saveBurst()
{
    if (!burstPending_)
        return;
    burstPending_ = false;
    // A copy that shares the values: the writer reads them while changes
    // here copy the part they change.
    writer_->write(values_);
}

void PlistDefaults::flush()
{
    saveBurst();
    writer_->waitUntilIdle();
    takeOutcomes();
}

void PlistDefaults::waitForWritesUnderWay() { writer_->waitUntilIdle(); }

void PlistDefaults::takeOutcomes()
{
    for (const SettingsWriter::Outcome& outcome : writer_->takeOutcomes()) {
        const QString folder = QFileInfo(path_).absolutePath();
        if (!outcome.folderError.isEmpty())
            setWriteProblem(QStringLiteral("Couldn't save the settings: the folder %1 can't be made (%2).")
                                .arg(folder, outcome.folderError),
                            outcome.folderError);
        else if (!outcome.writeError.isEmpty())
            setWriteProblem(QStringLiteral("Couldn't save the settings to %1 (%2). The previous file was kept.")
                                .arg(path_, outcome.writeError),
                            outcome.writeError);
        else
            setWriteProblem(QString(), QString());
        emit saved();
    }
}

void PlistDefaults::setWriteProblem(const QString& problem, const QString& reason)
{
    if (problem == writeProblem_)
        return;
    writeProblem_ = problem;
    saveProblem_ = reason;
    if (!problem.isEmpty())
        qWarning().noquote() << problem;
    emit problemChanged();
}

std::optional<QVariant> PlistDefaults::value(const QString& key) const
{
    const QVariantMap& values = part(key);
    const auto it = values.constFind(key);
    if (it == values.cend())
        return std::nullopt;
    return *it;
}

std::optional<QVariant> PlistDefaults::storable(const QString& key, const QVariant& value)
{
    QString why;
    // The settings dictionary is one level of nesting itself.
    auto stored = PlistCodec::normalised(value, &why, PlistCodec::kMaxDepth - 1);
    if (!stored) {
        qWarning().noquote() << QStringLiteral(
                                    "Setting \"%1\" not stored: it holds %2, which a property list cannot hold.")
                                    .arg(key, why);
        return std::nullopt;
    }
    if (key.contains(QChar(0))) {
        qWarning().noquote() << QStringLiteral("Setting not stored: its name holds a NUL character.");
        return std::nullopt;
    }
    return stored;
}

void PlistDefaults::setValue(const QString& key, const QVariant& value)
{
    // No value at all removes the key, as in the in-memory store.
    if (!value.isValid()) {
        remove(key);
        return;
    }
    auto stored = storable(key, value);
    if (!stored)
        return;
    part(key).insert(key, *stored);
    save();
    emit changed(key);
}

void PlistDefaults::replace(const QStringList& removed, const QVariantMap& values)
{
    QStringList touched;
    for (const QString& key : removed)
        if (part(key).remove(key) > 0)
            touched.append(key);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!it.value().isValid()) {
            if (part(it.key()).remove(it.key()) > 0)
                touched.append(it.key());
            continue;
        }
        if (auto stored = storable(it.key(), it.value())) {
            part(it.key()).insert(it.key(), *stored);
            touched.append(it.key());
        }
    }
    if (touched.isEmpty())
        return;
    save();
    touched.removeDuplicates();
    for (const QString& key : touched)
        emit changed(key);
}

void PlistDefaults::remove(const QString& key)
{
    if (part(key).remove(key) == 0)
        return;
    save();
    emit changed(key);
}

QStringList PlistDefaults::keys() const
{
    QStringList keys;
    for (const QVariantMap& values : values_)
        keys += values.keys();
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::optional<QVariant> PlistDefaults::foreignValue(const QString& domain, const QString& key) const
{
    // A domain names a file in the domains folder, never a path.
    if (domain.isEmpty() || domain.startsWith(QLatin1Char('.')) || domain.contains(QLatin1Char('/'))
        || domain.contains(QChar(0)))
        return std::nullopt;
    const QString path =
        QFileInfo(path_).absolutePath() + QStringLiteral("/domains/") + domain + QStringLiteral(".plist");
    // Asked for often (a poll a second): read again only once the file changed.
    const auto stamp = PrivateFile::stamp(path);
    if (!stamp) {
        foreign_.remove(domain);
        return std::nullopt;
    }
    auto cached = foreign_.find(domain);
    if (cached == foreign_.end() || cached->stamp != *stamp) {
        foreign_.remove(domain);
        const PrivateFile::Read file = PrivateFile::read(path, kMaxFileSize);
        // A file that can't be read now is tried again at the next ask.
        if (file.outcome == PrivateFile::Read::Outcome::missing
            || file.outcome == PrivateFile::Read::Outcome::unreadable)
            return std::nullopt;
        Foreign entry{*stamp, {}};
        QString why;
        if (file.outcome == PrivateFile::Read::Outcome::ok) {
            entry.stamp = file.stamp;
            entry.values = dictionary(file.bytes, &why).value_or(QVariantMap());
        }
        cached = foreign_.emplace(domain, std::move(entry));
    }
    const auto it = cached->values.constFind(key);
    if (it == cached->values.cend())
        return std::nullopt;
    return *it;
}

} // namespace tavrin
