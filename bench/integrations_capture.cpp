// What the integrations read of windows: a capture of eight windows of
// scripted, file-reading and title-read applications on the simulated
// desktop, every script and helper program answering at once, so that the
// time is the system's own (Accessibility reads, scripts built and parsed,
// files read and matched, the worker's hand-back); and the cleaning of one
// web address.

#include "simbench.h"

#include "integrations/integrations.h"
#include "integrations/urlcleaner.h"
#include "platform/sim/simscenario.h"
#include "platform/workspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

using namespace tavrin;

namespace {

const QByteArray kDesk = R"json({
  "displays": [ { "name": "Wide", "frame": [0, 0, 3440, 1440] } ],
  "apps": [
    { "name": "Tavrin", "self": true, "policy": "accessory" },
    { "name": "Safari", "bundleId": "com.apple.Safari" },
    { "name": "Google Chrome", "bundleId": "com.google.Chrome" },
    { "name": "Terminal", "bundleId": "com.apple.Terminal" },
    { "name": "Finder", "bundleId": "com.apple.finder" },
    { "name": "Visual Studio Code" },
    { "name": "Ghostty" },
    { "name": "Obsidian" }
  ],
  "windows": [
    { "app": "Safari", "frame": [0, 30, 900, 700],
      "tabs": [ { "title": "Docs", "url": "https://docs.example.com/a?utm_source=x" },
                { "title": "Issue", "url": "https://code.example.com/o/r/issues/1" },
                { "title": "Video", "url": "https://www.youtube.com/watch?v=abc&si=x" } ] },
    { "app": "Safari", "frame": [0, 30, 900, 700],
      "tabs": [ { "title": "Mail", "url": "https://mail.example.com/" } ] },
    { "app": "Google Chrome", "frame": [0, 30, 900, 700],
      "tabs": [ { "title": "Board", "url": "https://acme.atlassian.net/board?selectedIssue=A-1" },
                { "title": "Chat", "url": "https://chat.example.com/" } ] },
    { "app": "Terminal", "frame": [0, 30, 900, 700], "title": "app — zsh — 80×24", "tty": "/dev/ttys001" },
    { "app": "Finder", "frame": [0, 30, 900, 700], "title": "Documents", "folder": "/Users/sam/Documents/" },
    { "app": "Visual Studio Code", "frame": [0, 30, 900, 700], "title": "main.c — app" },
    { "app": "Ghostty", "frame": [0, 30, 900, 700], "title": "/tmp — zsh" },
    { "app": "Obsidian", "frame": [0, 30, 900, 700], "title": "Ideas - Work - Obsidian 1.6.7" }
  ],
  "processes": [ { "pid": 700, "tty": "ttys001", "command": "-zsh", "cwd": "/Users/sam/src/app" } ]
})json";

struct Desk {
    SimClock clock;
    MemoryDefaults defaults;
    MemoryKeychain keychain;
    SimDesktop desktop{clock};
    QTemporaryDir home;

    Desk()
    {
        SimScenario::fromJson(kDesk, QStringLiteral("benchmark")).applyTo(desktop);
        Platform p = desktop.startServices({.defaults = &defaults, .keychain = &keychain});
        p.folders = UserFolders{home.path(), home.path() + QStringLiteral("/.config")};
        Platform::install(p);
        QDir().mkpath(home.path() + QStringLiteral("/.config/Code/Backups"));
        QFile recent(home.path() + QStringLiteral("/.config/Code/Backups/workspaces.json"));
        recent.open(QIODevice::WriteOnly);
        recent.write(R"({"folders":[{"folderUri":"file:///Users/sam/app"},{"folderUri":"file:///Users/sam/tool"}]})");
    }
    ~Desk() { Platform::uninstall(); }

    std::vector<AXWindow> windows() const
    {
        std::vector<AXWindow> out;
        for (const RunningApp& app : Platform::current().workspace->runningApplications())
            for (const AXWindow& w : AXWindow::windows(app))
                out.push_back(w);
        return out;
    }
};

QCoro::Task<> keep(QCoro::Task<QList<SavedItem>> task, std::optional<QList<SavedItem>>* out)
{
    out->emplace(co_await std::move(task));
}

void BM_CaptureEightWindows(benchmark::State& state)
{
    Desk desk;
    const std::vector<AXWindow> windows = desk.windows();
    if (windows.size() != 8)
        state.SkipWithError("the desk should have eight windows");
    for (auto _ : state) {
        std::optional<QList<SavedItem>> items;
        auto running = keep(Integrations::capture(windows), &items);
        while (!items)
            desk.clock.runDue();
        benchmark::DoNotOptimize(items);
    }
}
BENCHMARK(BM_CaptureEightWindows)->Unit(benchmark::kMicrosecond);

void BM_CleanAddress(benchmark::State& state)
{
    const QStringList addresses{
        QStringLiteral("https://sam:pw@www.youtube.com/watch?utm_source=feed&v=dQw4w9WgXcQ&list=PL9&si=x&t=42s#c"),
        QStringLiteral("https://docs.example.com/guides/getting-started/install?ref=nav&lang=en"),
        QStringLiteral("https://acme.atlassian.net/jira/software/projects/A/boards/1?selectedIssue=A-12&q=2"),
        QStringLiteral("https://mail.example.com/")};
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(URLCleaner::clean(addresses[int(i++ % std::size_t(addresses.size()))]));
}
BENCHMARK(BM_CleanAddress);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
