#pragma once

#include "platform/propertylistfiles.h"

namespace tavrin {

// Property-list files through the settings' own codec (PlistCodec): XML and
// binary read, XML written atomically (PrivateFile). Files larger than
// kMaxFileSize, and anything but a regular file, are refused unread.
class PlistFiles : public PropertyListFiles {
public:
    static constexpr qint64 kMaxFileSize = qint64{64} * 1024 * 1024;

    Read read(const QString& path) override;
    QString writeXml(const QString& path, const QVariant& value) override;
};

} // namespace tavrin
