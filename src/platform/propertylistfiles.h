#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace tavrin {

// Property-list files the user chose (exports of the settings), read and
// written whole. Values are those of the Defaults service: bool, qint64,
// double, QString, QByteArray, QDateTime (whole seconds), QVariantList and
// QVariantMap. Main thread.
class PropertyListFiles {
public:
    struct Read {
        std::optional<QVariant> value; // none when the file could not be had
        QString why;                   // the reason, when there is no value
    };

    virtual ~PropertyListFiles() = default;

    // The value of the XML or binary property list at `path`, read and
    // parsed completely; none, with the reason, when the file can't be read
    // or isn't a property list.
    virtual Read read(const QString& path) = 0;
    // Writes `value` to `path` as an XML property list, replacing the file
    // there all at once: a failed write leaves an earlier file whole. The
    // reason it failed ("Permission denied", "No space left on device"), or
    // empty.
    virtual QString writeXml(const QString& path, const QVariant& value) = 0;
};

} // namespace tavrin
