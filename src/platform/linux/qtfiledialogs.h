#pragma once

#include "platform/filedialogs.h"

class QFileDialog;
class QPalette;
class QColor;

namespace tavrin {

// The file dialogs of Qt (the desktop's own where its platform theme has
// them), opened in the user's documents folder, in the desktop's colour
// scheme.
class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> chooseSaveFile(const QString& defaultName, const FileType& type) override;
    std::optional<QString> chooseOpenFile(const FileType& type) override;

    // "Property lists (*.plist)".
    static QString nameFilter(const FileType& type);
    // The colours of Qt's own dialog in the dark scheme, its selection in
    // `accent`.
    static QPalette darkPalette(const QColor& accent);

private:
    static std::optional<QString> run(QFileDialog& dialog);
};

} // namespace tavrin
