#pragma once

#include "platform/filedialogs.h"

#include <QStringList>
#include <optional>

namespace tavrin {

// File dialogs that answer what the test set: the path chosen, or none for a
// cancelled dialog. Records what each dialog offered.
class ScriptedFileDialogs : public FileDialogs {
public:
    std::optional<QString> answer;
    QStringList offeredNames; // the default names of the save dialogs
    QStringList offeredTypes; // the extensions of every dialog, space-separated
    int opened = 0;

    std::optional<QString> chooseSaveFile(const QString& defaultName, const FileType& type) override
    {
        offeredNames.append(defaultName);
        return chosen(type);
    }
    std::optional<QString> chooseOpenFile(const FileType& type) override { return chosen(type); }

private:
    std::optional<QString> chosen(const FileType& type)
    {
        ++opened;
        offeredTypes.append(type.extensions.join(QLatin1Char(' ')));
        return answer;
    }
};

} // namespace tavrin
