#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tavrin {

// Reading files that other programs write (browsers' session files), which
// may be anything: a FIFO that never answers, a device that never ends, a
// file far larger than any real one.
namespace RegularFile {

// The whole content of the regular file at `path` (symbolic links followed),
// opened without waiting for a writer; none when it is not a regular file,
// cannot be read, or holds more than `maxBytes`.
std::optional<QByteArray> read(const QString& path, qint64 maxBytes);

} // namespace RegularFile

} // namespace tavrin
