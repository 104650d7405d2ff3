#pragma once

#include "platform/filedialogs.h"

class QFileDialog;

namespace tavrin {

// The file dialogs of Qt (the desktop's own where its platform theme has
// them), opened in the user's documents folder.
class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> chooseSaveFile(const QString& defaultName, const FileType& type) override;
    std::optional<QString> chooseOpenFile(const FileType& type) override;

    // "Property lists (*.plist)".
    static QString nameFilter(const FileType& type);

private:
    static std::optional<QString> run(QFileDialog& dialog);
};

} // namespace tavrin
