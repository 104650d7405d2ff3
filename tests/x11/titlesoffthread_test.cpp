// Window titles are read on a background thread (the sharing check) while
// the main thread moves and closes windows. Run under ThreadSanitizer by
// scripts/tsan.sh.

#include "platform/workspace.h"
#include "support/x11/x11fixture.h"
#include "windows/axwindow.h"

#include <QCoreApplication>
#include <atomic>
#include <mutex>
#include <thread>

namespace tavrin {
namespace {

class X11TitlesOffTheMainThread : public X11Test {
protected:
    void SetUp() override
    {
        X11Test::SetUp();
        Platform::install(platform_);
    }
    void TearDown() override
    {
        Platform::uninstall();
        X11Test::TearDown();
    }
};

TEST_F(X11TitlesOffTheMainThread, ReadsGoOnWhileTheMainThreadMovesAndClosesWindows)
{
    X11TestClient* docs = startClient(manyWindows(QStringLiteral("Doc"), 4));
    X11TestClient* other = startClient(qtClient(QStringLiteral("Other"), {700, 200, 500, 400}));
    ASSERT_TRUE(docs && other);
    RunningApp app;
    app.pid = docs->pid();

    std::atomic<bool> stop{false};
    std::atomic<int> reads{0}, failures{0};
    std::mutex seenMutex;
    QStringList lastSeen;
    std::thread reader([&] {
        while (!stop.load()) {
            if (const auto titles = AXWindow::titles(app)) {
                ++reads;
                const std::lock_guard lock(seenMutex);
                lastSeen = *titles;
            } else {
                ++failures;
            }
        }
    });

    // The main thread moves every window back and forth, then closes one.
    const std::vector<AXWindow> windows = AXWindow::windows(*platform_.workspace->application(docs->pid()));
    ASSERT_EQ(windows.size(), 4u);
    for (int round = 0; round < 6; ++round)
        for (const AXWindow& w : windows)
            EXPECT_TRUE(w.setFrame(Rect(100 + 60 * round, 120 + 30 * round, 500, 400)));
    const QString closing = windows.back().string(ax::Title).value_or(QString());
    const auto button = ax().attribute(windows.back().element, ax::CloseButton).as<AXElement>();
    ASSERT_TRUE(button);
    EXPECT_EQ(ax().performAction(*button, ax::Press), AXError::success);
    EXPECT_TRUE(waitUntil([&] {
        const std::lock_guard lock(seenMutex);
        return lastSeen.size() == 3;
    }));
    stop = true;
    reader.join();

    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(failures.load(), 0);
    const std::lock_guard lock(seenMutex);
    EXPECT_EQ(lastSeen.size(), 3);
    EXPECT_FALSE(lastSeen.contains(closing)) << closing.toStdString();
}

TEST_F(X11TitlesOffTheMainThread, ChangesFromAnotherThreadFailAsValues)
{
    X11TestClient* c = startClient(QStringLiteral("Still"), {100, 100, 400, 300});
    ASSERT_TRUE(c);
    const AXElement window = element(c);
    AXError moved = AXError::success, raised = AXError::success;
    std::optional<QString> title;
    std::thread other([&] {
        moved = ax().setFrame(window, Rect(300, 300, 400, 300));
        raised = ax().performAction(window, ax::Raise);
        title = ax().attribute(window, ax::Title).as<QString>();
    });
    other.join();
    EXPECT_EQ(moved, AXError::cannotComplete);
    EXPECT_EQ(raised, AXError::cannotComplete);
    EXPECT_EQ(title, QStringLiteral("Still"));
    EXPECT_NE(frameWindowGeometry(c->window()).origin(), (Point{300, 300}));
}

} // namespace
} // namespace tavrin
