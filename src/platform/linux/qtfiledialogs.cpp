#include "platform/linux/qtfiledialogs.h"

#include "platform/appearance.h"
#include "platform/platform.h"

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

QPalette QtFileDialogs::darkPalette(const QColor& accent)
{
    const QColor window(43, 43, 46), base(30, 30, 32), text(232, 232, 234), muted(142, 142, 147);
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(58, 58, 62));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, muted);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Light, QColor(74, 74, 78));
    p.setColor(QPalette::Midlight, QColor(64, 64, 68));
    p.setColor(QPalette::Mid, QColor(36, 36, 38));
    p.setColor(QPalette::Dark, QColor(22, 22, 24));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, accent.isValid() ? accent : QColor(0, 122, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, accent.isValid() ? accent.lighter(130) : QColor(64, 156, 255));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, muted);
    p.setColor(QPalette::Disabled, QPalette::Light, Qt::transparent);
    return p;
}

std::optional<QString> QtFileDialogs::run(QFileDialog& dialog)
{
    const Appearance* appearance = Platform::isInstalled() ? Platform::current().appearance : nullptr;
    if (appearance && appearance->colorScheme() == ColorScheme::dark)
        dialog.setPalette(darkPalette(appearance->accentColor()));
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
