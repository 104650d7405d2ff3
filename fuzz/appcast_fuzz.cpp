// Feeds arbitrary bytes to the update-feed reader, then orders the versions
// it found, checking what the reader and the version order promise.
#include "app/updates/appcast.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

using namespace tavrin;

namespace {
void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

int sign(int v) { return (v > 0) - (v < 0); }

bool isWebOrEmpty(const QUrl& url)
{
    return url.isEmpty() || url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray xml(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<QList<AppcastItem>> items = Appcast::parse(xml, &error);
    if (!items) {
        check(!error.isEmpty());
        return 0;
    }
    for (qsizetype i = 0; i < items->size(); ++i) {
        const AppcastItem& item = (*items)[i];
        check(!item.version.isEmpty() && !item.displayVersion.isEmpty());
        check(isWebOrEmpty(item.downloadURL) && isWebOrEmpty(item.infoURL));
        check(Appcast::compareVersions(item.version, item.version) == 0);
        if (i > 0) {
            const QString& previous = (*items)[i - 1].version;
            check(sign(Appcast::compareVersions(previous, item.version))
                  == -sign(Appcast::compareVersions(item.version, previous)));
        }
    }
    const std::optional<AppcastItem> newest = Appcast::newest(*items);
    check(newest.has_value() == !items->isEmpty());
    if (newest)
        for (const AppcastItem& item : *items)
            check(Appcast::compareVersions(newest->version, item.version) >= 0);
    return 0;
}
