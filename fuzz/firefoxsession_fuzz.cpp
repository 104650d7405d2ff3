// Feeds arbitrary bytes to the reader of the Firefox family's session file:
// as the file itself, or (first byte 'J') as the JSON inside a well-formed
// file, packed here, so that the search reaches the session's structure.
#include "platform/linux/firefoxsession.h"

#include <QByteArray>
#include <QtEndian>
#include <cstddef>
#include <cstdint>
#include <lz4.h>

using namespace tavrin;

namespace {
void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

QByteArray packed(const QByteArray& json)
{
    QByteArray out("mozLz40\0", 8);
    char size[4];
    qToLittleEndian<quint32>(quint32(json.size()), size);
    out.append(size, 4);
    QByteArray block(LZ4_compressBound(int(json.size())), Qt::Uninitialized);
    const int n = LZ4_compress_default(json.constData(), block.data(), int(json.size()), int(block.size()));
    return out + block.left(n);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytes.startsWith('J'))
        bytes = packed(bytes.mid(1));
    const auto windows = FirefoxSession::parse(bytes);
    if (!windows)
        return 0;
    // What one read keeps is bounded, whatever the file claims.
    check(windows->size() <= FirefoxSession::kMaxWindowsRead);
    for (const BrowserWindow& w : *windows) {
        check(!w.tabs.isEmpty());
        check(w.tabs.size() <= FirefoxSession::kMaxTabsRead);
        check(w.frontTab() != nullptr);
        for (const BrowserTab& tab : w.tabs)
            check(!tab.url.isEmpty());
    }
    return 0;
}
