#pragma once

#include "app/appstate.h"
#include "app/commandbarcontrol.h"
#include "app/shellhooks.h"
#include "snapping/fakehudpanels.h"
#include "support/simfixture.h"
#include "windows/shortcutstore.h"

#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace tavrin {

// A command bar that records what it was asked.
class RecordingCommandBar : public CommandBarControl {
public:
    explicit RecordingCommandBar(std::shared_ptr<QStringList> log) : log_(std::move(log)) {}
    bool isShowing() const override { return showing; }
    void orderOut() override;
    void show() override;
    void open(const SavedWorkspace& workspace) override;
    void ask(const QString& request) override;

    bool showing = false;

private:
    std::shared_ptr<QStringList> log_;
};

QString describe(const Rect& frame);

// A simulated desktop with the shell's hooks recorded: `log` gets the
// engines' names as they start and Share-safe's actions, `bar` the command
// bar's calls; the snap overlay of a state made by `makeState()` shows on
// `panels`. The hooks, the shortcut store's state and the registered hot
// keys are put back afterwards.
class ShellTest : public ::testing::Test {
protected:
    ShellTest();
    ~ShellTest() override;

    std::unique_ptr<AppState> makeState();
    const SimWindow& focused() const;
    // The outline the snap overlay shows now: a window's frame 2 points
    // larger on every side; none when it shows none.
    std::optional<Rect> outline() const;

    SimEnvironment env;
    std::shared_ptr<QStringList> log = std::make_shared<QStringList>();
    FakeHUDPanels* panels = nullptr;
    std::shared_ptr<QStringList> bar = std::make_shared<QStringList>();

private:
    ShellHooks saved_;
};

} // namespace tavrin
