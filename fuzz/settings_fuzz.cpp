// Feeds arbitrary bytes to the settings reader, as a settings file or another
// application's domain, and checks what a value read promises: it is in the
// form the store keeps, and writing it gives a file that reads back the same.
#include "platform/linux/plistcodec.h"

#include <QVariantList>
#include <QVariantMap>
#include <cmath>
#include <cstddef>
#include <cstdint>

using namespace tavrin;

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Equal values of the same types all the way down, NaN equal to itself.
bool same(const QVariant& a, const QVariant& b)
{
    if (a.typeId() != b.typeId())
        return false;
    switch (a.typeId()) {
    case QMetaType::QVariantList: {
        const QVariantList x = a.toList(), y = b.toList();
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (!same(x[i], y[i]))
                return false;
        }
        return true;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap x = a.toMap(), y = b.toMap();
        if (x.keys() != y.keys())
            return false;
        for (auto it = x.cbegin(); it != x.cend(); ++it) {
            if (!same(it.value(), y.value(it.key())))
                return false;
        }
        return true;
    }
    case QMetaType::Double:
        return a.toDouble() == b.toDouble() || (std::isnan(a.toDouble()) && std::isnan(b.toDouble()));
    default: return a == b;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QString why;
    const auto value = PlistCodec::fromData(bytes, &why);
    if (!value) {
        check(!why.isEmpty());
        return 0;
    }
    const auto stored = PlistCodec::normalised(*value);
    check(stored.has_value() && same(*stored, *value));
    const auto again = PlistCodec::fromData(PlistCodec::toXml(*value));
    check(again.has_value() && same(*again, *value));
    return 0;
}
