#include "platform/linux/plistfiles.h"

#include "platform/linux/plistcodec.h"
#include "platform/linux/privatefile.h"

namespace tavrin {

PropertyListFiles::Read PlistFiles::read(const QString& path)
{
    const PrivateFile::Read file = PrivateFile::read(path, kMaxFileSize);
    switch (file.outcome) {
    case PrivateFile::Read::Outcome::ok: break;
    case PrivateFile::Read::Outcome::missing: return {std::nullopt, QStringLiteral("No such file")};
    case PrivateFile::Read::Outcome::unreadable:
    case PrivateFile::Read::Outcome::refused: return {std::nullopt, file.why};
    }
    QString why;
    auto value = PlistCodec::fromData(file.bytes, &why);
    if (!value)
        return {std::nullopt, why};
    return {std::move(value), {}};
}

QString PlistFiles::writeXml(const QString& path, const QVariant& value)
{
    QString why;
    const auto canonical = PlistCodec::normalised(value, &why);
    if (!canonical)
        return QStringLiteral("it holds %1, which a property list cannot hold").arg(why);
    return PrivateFile::write(path, PlistCodec::toXml(*canonical));
}

} // namespace tavrin
