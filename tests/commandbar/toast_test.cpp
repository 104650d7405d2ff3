#include "barfixture.h"
#include "commandbar/arrangedtoastcontroller.h"
#include "commandbar/toastview.h"
#include "design/tbutton.h"

namespace tavrin {
namespace {

using namespace testing;
using Outcome = WorkspaceRunner::Outcome;

RunningApp app(const QString& name)
{
    RunningApp a;
    a.pid = 4242;
    a.localizedName = name;
    return a;
}

// ---- The line ----

TEST(ArrangedToastText, SaysWhatWasDone)
{
    Outcome o;
    EXPECT_EQ(ArrangedToastController::message(o, std::nullopt), QStringLiteral("Nothing to do"));
    o.arranged = 1;
    EXPECT_EQ(ArrangedToastController::message(o, std::nullopt), QStringLiteral("Arranged 1 window"));
    o.arranged = 2;
    EXPECT_EQ(ArrangedToastController::message(o, std::nullopt), QStringLiteral("Arranged 2 windows"));

    Outcome quit;
    quit.quit = {{QStringLiteral("Mail"), QStringLiteral("/System/Applications/Mail.app")}};
    EXPECT_EQ(ArrangedToastController::message(quit, std::nullopt), QStringLiteral("Quit Mail"));

    Outcome all;
    all.arranged = 3;
    all.hidden = {app(QStringLiteral("Slack")), app(QString()), app(QStringLiteral("Music"))};
    all.quit = {{QStringLiteral("Mail"), std::nullopt}};
    EXPECT_EQ(ArrangedToastController::message(all, QStringLiteral("Deep work")),
              QStringLiteral("Arranged 3 windows · quit Mail · hid Slack, Music · saved as “Deep work”"));

    all.problem = QStringLiteral("Notes didn't open.");
    EXPECT_EQ(ArrangedToastController::message(all, QStringLiteral("Deep work")),
              QStringLiteral("Arranged 3 windows · quit Mail · hid Slack, Music · saved as “Deep work” · Notes "
                             "didn't open."));
    Outcome problemOnly;
    problemOnly.problem = QStringLiteral("x");
    EXPECT_EQ(ArrangedToastController::message(problemOnly, std::nullopt), QStringLiteral("Nothing to do · x"));

    // A hide that named one window names it by its title too.
    Outcome titled;
    titled.hidden = {app(QStringLiteral("XTerm"))};
    titled.hiddenTitles = {{4242, QStringLiteral("build")}};
    EXPECT_EQ(ArrangedToastController::message(titled, std::nullopt), QStringLiteral("Hid XTerm “build”"));

    // Hidden applications without names leave no empty part behind.
    Outcome nameless;
    nameless.hidden = {app(QString())};
    EXPECT_EQ(ArrangedToastController::message(nameless, std::nullopt), QStringLiteral("Nothing to do"));
}

// ---- The capsule ----

class ToastTest : public BarTest {
protected:
    ArrangedToastController& toast() { return bar.toast(); }
    Outcome threeArranged()
    {
        Outcome o;
        o.arranged = 3;
        return o;
    }
};

TEST_F(ToastTest, ShowsAtTheBottomCentreOfTheGivenDisplayAndFadesIn)
{
    // The focused window is on the ultrawide; the toast goes where it is told.
    const Display builtIn = Display::all()[1];
    toast().show(threeArranged(), std::nullopt, builtIn);
    settle();
    ASSERT_TRUE(toast().isShowing());
    const QRect g = toast().panel()->geometry();
    EXPECT_NEAR(g.center().x(), builtIn.area.midX(), 1);
    EXPECT_EQ(g.bottom() + 1, qRound(builtIn.area.maxY() - 16 + 20));
    EXPECT_TRUE(toast().panel()->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_EQ(toast().panel()->findChild<ToastView*>()->text(), QStringLiteral("Arranged 3 windows"));
    EXPECT_EQ(toast().opacity(), 0);
    advance(0.15);
    EXPECT_GT(toast().opacity(), 0.2);
    EXPECT_LT(toast().opacity(), 0.8);
    advance(0.2);
    EXPECT_EQ(toast().opacity(), 1);
}

TEST_F(ToastTest, HidesAfterSixSecondsCountedFromTheLastShow)
{
    const Display d = Display::all().front();
    toast().show(threeArranged(), std::nullopt, d);
    advance(4);
    toast().show(threeArranged(), QStringLiteral("Again"), d);
    EXPECT_EQ(toast().panel()->findChild<ToastView*>()->text(),
              QStringLiteral("Arranged 3 windows · saved as “Again”"));
    advance(5.9);
    EXPECT_TRUE(toast().isShowing());
    advance(0.2);
    EXPECT_FALSE(toast().isShowing());
    EXPECT_FALSE(toast().hidePending());
}

TEST_F(ToastTest, UndoHandsTheOutcomeBackAndHidesAtOnce)
{
    Outcome o = threeArranged();
    o.quit = {{QStringLiteral("Mail"), std::nullopt}};
    toast().show(o, std::nullopt, Display::all().front());
    advance(1);
    QTest::mouseClick(toast().panel()->findChild<TButton*>(QStringLiteral("toastUndo")), Qt::LeftButton);
    EXPECT_FALSE(toast().isShowing());
    EXPECT_FALSE(toast().hidePending());
    ASSERT_EQ(runner.undone.size(), 1u);
    EXPECT_EQ(runner.undone[0].arranged, 3);
    ASSERT_EQ(runner.undone[0].quit.size(), 1u);
    advance(10);
    EXPECT_EQ(runner.undone.size(), 1u);
}

} // namespace
} // namespace tavrin
