// Feeds arbitrary bytes to the reader of the Chromium family's session
// files, checking what it promises of the windows it rebuilds.
#include "platform/linux/chromiumsession.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

using namespace tavrin;

namespace {
void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto windows = ChromiumSession::parse(bytes);
    if (!windows)
        return 0;
    check(bytes.startsWith("SNSS"));
    qsizetype tabs = 0;
    for (const BrowserWindow& w : *windows) {
        check(!w.tabs.isEmpty());
        check(w.frontTab() != nullptr);
        tabs += w.tabs.size();
    }
    // The tabs kept are bounded, however many records make up new ones.
    check(tabs <= ChromiumSession::kMaxTabsRead);
    return 0;
}
