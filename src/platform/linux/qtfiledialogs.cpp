#include "platform/linux/qtfiledialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace tavrin {

namespace {
QString startFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}
} // namespace

QString QtFileDialogs::nameFilter(const FileType& type)
{
    QStringList patterns;
    for (const QString& extension : type.extensions)
        patterns.append(QStringLiteral("*.") + extension);
    return QStringLiteral("%1 (%2)").arg(type.description, patterns.join(QLatin1Char(' ')));
}

std::optional<QString> QtFileDialogs::chooseSaveFile(const QString& defaultName, const FileType& type)
{
    QFileDialog dialog(nullptr, {}, startFolder(), nameFilter(type));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!type.extensions.isEmpty())
        dialog.setDefaultSuffix(type.extensions.front());
    dialog.selectFile(defaultName);
    return run(dialog);
}

std::optional<QString> QtFileDialogs::chooseOpenFile(const FileType& type)
{
    QFileDialog dialog(nullptr, {}, startFolder(), nameFilter(type));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return run(dialog);
}

std::optional<QString> QtFileDialogs::run(QFileDialog& dialog)
{
    dialog.setWindowModality(Qt::ApplicationModal);
    // In front of the other applications, as a menu-bar program has no window
    // of its own to come from.
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().front();
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace tavrin
