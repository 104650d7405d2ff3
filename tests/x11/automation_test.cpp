// A browser's window brought back from a worker thread (as a restore does)
// while the main thread, which owns the window list, is held up past the
// worker's wait. Run under AddressSanitizer by scripts/sanitize.sh and under
// ThreadSanitizer by scripts/tsan.sh.

#include "platform/automation.h"
#include "support/x11/x11fixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <future>

namespace tavrin {
namespace {

using X11AutomationOffTheMainThread = X11Test;

TEST_F(X11AutomationOffTheMainThread, WorkGivenUpWhileTheMainThreadIsBusyIsSafeWhenItComesUpLate)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A browser that runs, with a window, and writes down each command it is
    // given without showing a new window.
    const QString browserClass = QStringLiteral("TavrinTestBrowser");
    ASSERT_TRUE(startClient(ofClass(QStringLiteral("Browser"), browserClass)));
    const QString browser = dir.filePath(QStringLiteral("browser")), log = dir.filePath(QStringLiteral("commands"));
    {
        QFile f(browser);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\n").arg(log).toUtf8());
    }
    QFile::setPermissions(browser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The front tab second: two commands, the second once the first one's
    // window has come, which never comes.
    const QStringList urls{QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")};

    // As a restore does: on a background thread, for a target of its own
    // that is gone once the work returns.
    auto opened = std::make_shared<std::promise<bool>>();
    std::future<bool> answer = opened->get_future();
    clock_.runInBackground(
        [automation = platform_.automation, browserClass, browser, urls, opened] {
            const AutomationTarget target{browserClass, {}, {}, {}, {browser}, {}};
            opened->set_value(automation->openWindow(target, urls, 1, {}, 2.5));
        },
        nullptr, {});
    // The main thread answers until the first command has run, then is held
    // up (not running its event loop) until the worker has given up waiting
    // for the new window and for the second command.
    const bool firstRan = waitUntil([&] { return QFile::exists(log); });
    EXPECT_FALSE(answer.get()) << "the second command cannot have been sent";
    // The work the worker gave up on comes up on the main thread now.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(firstRan);
}

} // namespace
} // namespace tavrin
