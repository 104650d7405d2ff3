// One automatic session save of the eight windows on the wide display of the
// simulated desktop (no browser among them, so it finishes at once), and the
// export and import of settings that hold 2,000 learned entries, through the
// settings file and the export file on disk.

#include "simbench.h"

#include "integrations/sessions.h"
#include "platform/filedialogs.h"
#include "platform/linux/plistdefaults.h"
#include "platform/linux/plistfiles.h"
#include "snapping/learning/habits.h"
#include "snapping/learning/learning.h"
#include "windows/windowmanager.h"
#include "workspaces/savedworkspacestore.h"

#include <QTemporaryDir>

using namespace tavrin;

namespace {

// Always chooses the one file.
struct OneFile : FileDialogs {
    QString path;
    std::optional<QString> chooseSaveFile(const QString&, const FileType&) override { return path; }
    std::optional<QString> chooseOpenFile(const FileType&) override { return path; }
};

// Learning and habits read what an import brought, as the program has them.
struct ReadingLearnedState : LearnedState {
    ReadingLearnedState(Learning& learning, Habits& habits) : learning(learning), habits(habits) {}
    void readAgain() override
    {
        learning.reload();
        habits.raiseTick();
    }
    Learning& learning;
    Habits& habits;
};

void BM_SessionSaveOfEightWindows(benchmark::State& state)
{
    bench::SimDesk desk;
    WindowManager windows;
    ActiveWorkspaceHolder active;
    Sessions sessions(windows, Platform::current(), active);
    for (auto _ : state) {
        sessions.save(false);
        desk.clock.advance(1);
    }
    const QList<SavedWorkspace> saved = SavedWorkspaceStore::load();
    if (saved.size() != 1 || saved.front().apps.size() != 8)
        state.SkipWithError("the save should keep one session of eight windows");
}
BENCHMARK(BM_SessionSaveOfEightWindows)->Unit(benchmark::kMicrosecond);

// Settings with 2,000 learned entries (placements per application and
// display), saved workspaces and the computer's own keys.
void fill(Defaults& defaults)
{
    QVariantMap counts;
    for (int i = 0; i < 2000; ++i)
        counts.insert(QStringLiteral("App %1|Wide").arg(i),
                      QVariantMap{{QStringLiteral("left"), qint64(i % 7)}, {QStringLiteral("right"), qint64(3)}});
    QVariantMap values{{QStringLiteral("learning.counts"), counts},
                       {QStringLiteral("learning.moves"), qint64(2000)},
                       {QStringLiteral("habits.opens"), QVariantList{QStringLiteral("Mail"), QStringLiteral("Notes")}},
                       {QStringLiteral("savedWorkspaces"), QByteArray(4000, 'x')},
                       {QStringLiteral("layout.Wide"), QStringLiteral("thirds")},
                       {QStringLiteral("gap"), qint64(8)}};
    defaults.replace({}, values);
}

void BM_ExportAndImportTwoThousandEntries(benchmark::State& state)
{
    bench::SimDesk desk;
    QTemporaryDir folder;
    PlistDefaults defaults(folder.filePath(QStringLiteral("settings.plist")));
    PlistFiles files;
    OneFile dialogs;
    dialogs.path = folder.filePath(QStringLiteral("Tavrin learnings.plist"));
    Platform::current().defaults = &defaults;
    Platform::current().propertyLists = &files;
    Platform::current().fileDialogs = &dialogs;
    fill(defaults);
    WindowManager windows;
    Learning learning(defaults, desk.clock);
    Habits habits(windows, Platform::current());
    ReadingLearnedState learned(learning, habits);
    for (auto _ : state) {
        if (!Sessions::exportLearnings().isEmpty() || !Sessions::importLearnings(learned))
            state.SkipWithError("export or import failed");
    }
    if (defaults.value(QStringLiteral("learning.counts"))->toMap().size() != 2000)
        state.SkipWithError("the import should bring back 2,000 entries");
}
BENCHMARK(BM_ExportAndImportTwoThousandEntries)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
