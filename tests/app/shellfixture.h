#pragma once

#include "app/appstate.h"
#include "app/commandbarcontrol.h"
#include "app/shellhooks.h"
#include "app/snaphud.h"
#include "support/simfixture.h"
#include "windows/shortcutstore.h"

#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace tavrin {

// What the snap overlay was asked to do, as lines: "install", "remove",
// "arrow left 10,20 300x400", "arrow none …", "target topLeft …".
struct HudLog {
    QStringList lines;
};

class RecordingHUD : public SnapHUD {
public:
    explicit RecordingHUD(std::shared_ptr<HudLog> log) : log_(std::move(log)) {}
    void installMonitors() override { log_->lines << QStringLiteral("install"); }
    void removeMonitors() override { log_->lines << QStringLiteral("remove"); }
    void flashArrow(std::optional<Arrow> arrow, const Rect& frame) override;
    void flashTarget(SnapTarget target, const Rect& frame) override;

private:
    std::shared_ptr<HudLog> log_;
};

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
// engines' names as they start and Share-safe's actions, `hud` the snap
// overlay's calls, `bar` the command bar's. The hooks, the shortcut store's
// state and the registered hot keys are put back afterwards.
class ShellTest : public ::testing::Test {
protected:
    ShellTest();
    ~ShellTest() override;

    std::unique_ptr<AppState> makeState();
    const SimWindow& focused() const;

    SimEnvironment env;
    std::shared_ptr<QStringList> log = std::make_shared<QStringList>();
    std::shared_ptr<HudLog> hud = std::make_shared<HudLog>();
    std::shared_ptr<QStringList> bar = std::make_shared<QStringList>();

private:
    ShellHooks saved_;
};

} // namespace tavrin
