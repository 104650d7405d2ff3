#include "support/artifacts.h"

#include "support/simfixture.h"

#include <QDir>
#include <QFileInfo>

namespace tavrin {

QString Artifacts::folder(const QString& name)
{
    const QString root = QFileInfo(SimEnvironment::defaultScenarioPath()).dir().filePath(QStringLiteral(".."));
    const QString dir = QDir(root).filePath(QStringLiteral("artifacts/") + name);
    QDir().mkpath(dir);
    return QDir(dir).canonicalPath();
}

} // namespace tavrin
