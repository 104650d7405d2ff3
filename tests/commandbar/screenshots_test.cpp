// Pictures of every state of the bar, the adjust overlay and the toast, in
// both colour schemes, written to artifacts/commandbar/ for a person to look
// at and checked for cut text and widgets on top of each other.

#include "barfixture.h"
#include "commandbar/adjustview.h"
#include "design/environment.h"
#include "platform/sim/simdesktopwindow.h"
#include "support/artifacts.h"
#include "support/layoutcheck.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace tavrin {
namespace {

using namespace testing;

QString schemeName(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light");
}

class Screenshots : public BarTest, public ::testing::WithParamInterface<ColorScheme> {
protected:
    void SetUp() override
    {
        BarTest::SetUp();
        env.desktop.appearance().setColorScheme(GetParam());
    }

    // The picture of a panel over a plain desktop backdrop, `scale` times its size.
    bool save(QWidget* panel, const QString& name, qreal scale = 1.0)
    {
        settle();
        if (!panel)
            return false;
        LayoutCheck(name + QLatin1Char('-') + schemeName(GetParam()))
            .allowSpread(QStringLiteral("adjustBar"), "the bar's glow spreads under the hint and past the screen's top")
            .allowSpread(QStringLiteral("tavrin::GlowBand"), "the glow's band is drawn over the card's edge and shadow")
            .expectTidy(panel);
        const QPixmap shot = panel->grab();
        QImage image(shot.size() * scale, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&image);
        QLinearGradient backdrop(0, 0, image.width(), image.height());
        const bool dark = GetParam() == ColorScheme::dark;
        backdrop.setColorAt(0, dark ? QColor(0x27, 0x2f, 0x3f) : QColor(0xd9, 0xe3, 0xee));
        backdrop.setColorAt(1, dark ? QColor(0x12, 0x16, 0x1f) : QColor(0xb9, 0xc6, 0xd6));
        p.fillRect(image.rect(), backdrop);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(QRectF(QPointF(0, 0), QSizeF(shot.size()) * scale), shot, QRectF(shot.rect()));
        p.end();
        const QString path = QDir(Artifacts::folder(QStringLiteral("commandbar")))
                                 .filePath(name + QLatin1Char('-') + schemeName(GetParam()) + ".png");
        return image.save(path);
    }

    WorkspacePlan bigPlan()
    {
        WorkspacePlan plan = planFor(*model().capture(), {kEditor, kBrowser, QStringLiteral("Terminal")},
                                     LayoutKind::focusCentre, QStringLiteral("Code review"));
        plan.why = QStringLiteral("The editor takes the middle, the pull request sits beside it and the terminal "
                                  "runs the tests; chat goes out of the way.");
        plan.windows.append({QStringLiteral("Safari"), std::nullopt, QStringLiteral("https://code.example.com/pr/42"),
                             QStringLiteral("review"), std::nullopt, std::nullopt});
        plan.clear =
            QList<WorkspacePlan::Clear>{{windowIndex(*model().capture(), QStringLiteral("Slack")), ClearAction::hide},
                                        {windowIndex(*model().capture(), QStringLiteral("Mail")), ClearAction::quit}};
        return plan;
    }
};

TEST_P(Screenshots, EveryStateOfTheBar)
{
    setEngine(QStringLiteral("off"));
    open();
    EXPECT_TRUE(save(bar.panel(), QStringLiteral("1-asking-setup")));

    setEngine(QStringLiteral("onDevice"));
    SavedWorkspaceStore::save(
        savedWorkspace(QStringLiteral("Writing"), {QStringLiteral("Notes"), kBrowser}, LayoutKind::halves));
    SavedWorkspaceStore::save(savedWorkspace(QStringLiteral("Deep work"),
                                             {kEditor, QStringLiteral("Terminal"), kBrowser}, LayoutKind::focusCentre));
    open();
    EXPECT_TRUE(save(bar.panel(), QStringLiteral("2-asking")));

    planner.answerWith(bigPlan());
    typeTask(QStringLiteral("Review the open pull request"));
    pressInField(Qt::Key_Return);
    advance(0.4);
    EXPECT_TRUE(save(bar.panel(), QStringLiteral("3-thinking")));

    advance(planner.delay);
    advance(0.33); // two rows revealed, the others still to come
    EXPECT_TRUE(save(bar.panel(), QStringLiteral("4-preview-revealing")));
    advance(2);
    EXPECT_TRUE(save(bar.panel(), QStringLiteral("5-preview")));

    runner.delay = 5;
    pressInField(Qt::Key_Return);
    advance(0.1);
    EXPECT_TRUE(save(bar.panel(), QStringLiteral("6-arranging")));
    advance(5);

    open();
    typeTask(QStringLiteral("Jot down notes from the design review next to the call, with the design doc open and the "
                            "build logs in a terminal underneath"));
    EXPECT_TRUE(save(bar.panel(), QStringLiteral("6b-long-request")));

    open();
    planner.failWith(PlannerError::rejected(PlannerError::claudeRejectedMessage()));
    typeTask();
    pressInField(Qt::Key_Return);
    advance(planner.delay);
    EXPECT_TRUE(save(bar.panel(), QStringLiteral("7-failed")));
}

TEST_P(Screenshots, TheAdjustOverlay)
{
    previewOf([this] { return bigPlan(); });
    advance(2);
    pressInField(Qt::Key_Tab);
    ASSERT_TRUE(bar.adjust().panel());
    // Lift the second outline over the main zone.
    AdjustView* overlay = bar.adjust().view();
    ASSERT_TRUE(overlay);
    const auto frames = overlay->zoneFrames();
    const QPoint from(int(frames[1].midX()), int(frames[1].midY()));
    const QPoint to(int(frames[0].midX()) + 40, int(frames[0].midY()) + 30);
    QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), overlay->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(overlay, &move);
    advance(0.7);
    EXPECT_TRUE(save(bar.adjust().panel(), QStringLiteral("8-adjust-dragging"), 0.5));
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, to);
    advance(1);
    EXPECT_TRUE(save(bar.adjust().panel(), QStringLiteral("9-adjust-swapped"), 0.5));
}

TEST_P(Screenshots, ALongWorkspaceNameWrapsRatherThanBeingCut)
{
    previewOf([this] {
        WorkspacePlan plan = bigPlan();
        plan.workspaceName = QStringLiteral("Build and release the desktop application");
        return plan;
    });
    advance(2);
    EXPECT_TRUE(save(bar.panel(), QStringLiteral("5b-preview-long-name")));
    auto* saveButton = bar.panel()->findChild<QWidget*>(QStringLiteral("saveButton"));
    ASSERT_TRUE(saveButton);
    EXPECT_GE(saveButton->width(), saveButton->sizeHint().width());
}

TEST_P(Screenshots, TheArrangedToast)
{
    WorkspaceRunner::Outcome outcome;
    outcome.arranged = 3;
    outcome.quit = {{QStringLiteral("Mail"), std::nullopt}};
    RunningApp slack;
    slack.pid = env.pid(QStringLiteral("Slack"));
    slack.localizedName = QStringLiteral("Slack");
    RunningApp music = slack;
    music.pid = slack.pid + 1;
    music.localizedName = QStringLiteral("Music");
    outcome.hidden = {slack, music};
    outcome.hiddenTitles = {{slack.pid, QStringLiteral("general")}};
    bar.toast().show(outcome, QStringLiteral("Deep work"), Display::all().front());
    advance(0.4);
    EXPECT_TRUE(save(bar.toast().panel(), QStringLiteral("10-toast")));
}

TEST_P(Screenshots, TheBarOverTheSmallDisplayOfTheSimulatedDesktop)
{
    // The simulated desktop's window on a 1920 × 1080 screen, the bar opened
    // on its built-in display, drawn a quarter of its size.
    SimDesktopWindow desktop(env.desktop);
    desktop.setGeometry(300, 200, 1280, 560);
    desktop.show();
    const Rect screen(0, 0, 1920, 1080);
    bar.setPlacement([&](const Rect& area) { return PanelRoom{desktop.shownAt(area), screen}; });
    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    open();
    typeTask(QStringLiteral("Jot down notes from the design review next to the call"));
    settle();
    QWidget* panel = bar.panel();
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->width(), 916);

    const QRect all = desktop.geometry() | panel->geometry();
    QImage image(all.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0x20, 0x22, 0x26));
    QPainter p(&image);
    p.drawPixmap(desktop.geometry().topLeft() - all.topLeft(), desktop.grab());
    p.drawPixmap(panel->geometry().topLeft() - all.topLeft(), panel->grab());
    p.end();
    const QString path = QDir(Artifacts::folder(QStringLiteral("commandbar")))
                             .filePath(QStringLiteral("11-bar-over-small-display-") + schemeName(GetParam()) + ".png");
    EXPECT_TRUE(image.save(path));
}

INSTANTIATE_TEST_SUITE_P(Schemes, Screenshots, ::testing::Values(ColorScheme::light, ColorScheme::dark),
                         [](const auto& info) { return schemeName(info.param).toStdString(); });

} // namespace
} // namespace tavrin
