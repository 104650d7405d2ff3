#include "platform/x11/x11automation.h"

#include "platform/scriptrequest.h"
#include "platform/x11/desktopentries.h"
#include "platform/x11/x11workspace.h"

#include <QSemaphore>
#include <QThread>
#include <functional>
#include <memory>

namespace tavrin {

namespace {
// How long a worker waits for the main thread (which may be quitting).
constexpr int kMainThreadWaitMs = 2000;

// The desktop entries and the window list belong to the main thread; scripts
// run on worker threads, which wait a bounded time for the main thread to
// answer (`fallback` when it does not).
template <class T>
T onThreadOf(QObject& owner, T fallback, std::function<T()> fn)
{
    if (QThread::currentThread() == owner.thread())
        return fn();
    struct Shared {
        QSemaphore done;
        T result;
    };
    auto shared = std::make_shared<Shared>();
    shared->result = fallback;
    QMetaObject::invokeMethod(
        &owner,
        [shared, fn = std::move(fn)] {
            shared->result = fn();
            shared->done.release();
        },
        Qt::QueuedConnection);
    if (!shared->done.tryAcquire(1, kMainThreadWaitMs))
        return fallback;
    return shared->result;
}

// The Chromium family opens a window of its own for "--new-window"; Safari
// does not run here.
bool isChromiumForm(const QString& source) { return source.contains(QLatin1String("\n  make new window\n")); }
} // namespace

QStringList X11Automation::newWindowCommand(const QStringList& entryCommand, const QStringList& urls)
{
    if (entryCommand.isEmpty() || urls.isEmpty())
        return {};
    return entryCommand + QStringList{QStringLiteral("--new-window")} + urls;
}

std::optional<ScriptValue> X11Automation::run(const QString& source, double)
{
    const auto request = ScriptRequest::parse(source);
    if (!request || request->kind != ScriptRequest::Kind::openTabs || !isChromiumForm(source))
        return std::nullopt;
    const bool started = onThreadOf<bool>(workspace_, false, [this, request] {
        const DesktopEntry* entry = entries_.forName(request->app);
        const QStringList command =
            entry ? newWindowCommand(DesktopEntries::commandLine(*entry), request->urls) : QStringList();
        return !command.isEmpty() && workspace_.startDetached(command);
    });
    return started ? std::optional(ScriptValue::makeOther()) : std::nullopt;
}

int X11Automation::permission(const QString& bundleId, bool)
{
    if (bundleId.isEmpty())
        return kNotRunning;
    return onThreadOf<int>(workspace_, kNotRunning, [this, bundleId] {
        for (const RunningApp& app : workspace_.runningApplications())
            if (app.bundleIdentifier == bundleId)
                return kAllowed;
        return kNotRunning;
    });
}

} // namespace tavrin
