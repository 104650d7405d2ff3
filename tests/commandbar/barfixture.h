#pragma once

#include "commandbar/commandbarcontroller.h"
#include "commandbar/commandbarview.h"
#include "commandbar/taskfield.h"
#include "commandbarfakes.h"
#include "platform/sim/simappearance.h"
#include "support/artifacts.h"
#include "support/commandbargraph.h"
#include "support/simfixture.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/savedworkspacestore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace tavrin::testing {

inline const QString kTask = QStringLiteral("Put the editor and the browser side by side");
inline const QString kEditor = QStringLiteral("Visual Studio Code");
inline const QString kBrowser = QStringLiteral("Safari");

// The offscreen platform says so whenever a panel is raised or sized.
inline void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    qt_message_output(type, context, message);
}

// The command bar on the default simulated desktop, with a scripted planner
// and runner, its panels on Qt's offscreen platform.
class BarTest : public SimTest {
protected:
    void SetUp() override
    {
        qInstallMessageHandler(quietOffscreen);
        setEngine(QStringLiteral("onDevice")); // a planner is chosen; the planner itself is the test's
        runner.outcome.arranged = 2;
    }
    void TearDown() override { qInstallMessageHandler(nullptr); }

    void setEngine(const QString& engine) { env.defaults.setValue(QStringLiteral("aiEngine"), engine); }

    // Runs what is due now and lets Qt lay the panels out.
    void settle()
    {
        env.clock.runDue();
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }
    void advance(double seconds)
    {
        env.clock.advance(seconds);
        settle();
    }

    CommandBarModel& model() { return bar.model(); }
    // The view shown now (the one it replaced may still await deletion).
    CommandBarView* view() const
    {
        return bar.panel() && bar.panel()->content() ? bar.panel()->content()->findChild<CommandBarView*>() : nullptr;
    }
    TaskField* field() const { return view() ? view()->field() : nullptr; }

    void open()
    {
        bar.show();
        settle();
    }
    void typeTask(const QString& text = kTask)
    {
        QTest::keyClicks(field(), text);
        settle();
    }
    void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false)
    {
        QKeyEvent down(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
        QApplication::sendEvent(target, &up);
        settle();
    }
    void pressInField(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false)
    {
        press(field(), key, modifiers, autoRepeat);
    }
    // Opens the bar, types the task, presses Return and lets the planner
    // answer with `plan` (the editor and the browser side by side by default).
    void previewOf(const std::function<WorkspacePlan()>& plan = {})
    {
        open();
        planner.answerWith(plan ? plan() : planFor(*model().capture(), {kEditor, kBrowser}));
        typeTask();
        pressInField(Qt::Key_Return);
        advance(planner.delay);
    }

    SavedWorkspace savedWorkspace(const QString& name, const QStringList& apps, LayoutKind layout = LayoutKind::halves)
    {
        SavedWorkspace w;
        w.name = name;
        w.request = name;
        w.layout = layout;
        w.apps = apps;
        w.savedAt = env.clock.nowDate();
        return w;
    }

    FakePlanner planner;
    FakeRunner runner;
    WindowManager windows;
    CommandBarGraph graph{windows};
    CommandBarController bar{graph.services(planner, runner)};
};

} // namespace tavrin::testing
