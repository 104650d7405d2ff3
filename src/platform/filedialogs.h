#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// The kind of file a dialog offers: its description and the extensions it
// lists, without the dot ("Property lists", {"plist"}).
struct FileType {
    QString description;
    QStringList extensions;
};

// The desktop's dialogs for choosing a file to save to or to open. Each runs
// modally, in front of the other applications, and answers once the user has
// chosen. Main thread.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // Where the user chose to save a file of `type`, offered as `defaultName`;
    // none when the dialog was cancelled.
    virtual std::optional<QString> chooseSaveFile(const QString& defaultName, const FileType& type) = 0;
    // The one existing file of `type` the user chose to open; none when the
    // dialog was cancelled.
    virtual std::optional<QString> chooseOpenFile(const FileType& type) = 0;
};

} // namespace tavrin
