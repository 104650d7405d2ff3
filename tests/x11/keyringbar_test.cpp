// The built program's command bar on a real X server, with a real
// gnome-keyring whose prompts show on that server: a locked keyring never
// raises its unlock prompt when the bar opens, keys typed go into the bar,
// and the prompt comes only once a plan needs the key.
#include "platform/linux/desktopkeychain.h"
#include "programtest.h"
#include "support/keyringdaemon.h"

namespace tavrin {
namespace {

class X11KeyringBarTest : public X11ProgramTest {
protected:
    // The keyring's prompt (the desktop's prompter) shows on the display.
    bool promptShows()
    {
        return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
                        QStringLiteral("gcr-prompter")});
    }
};

TEST_F(X11KeyringBarTest, ALockedKeyringPromptsOnlyWhenAPlanNeedsTheKey)
{
    KeyringDaemon daemon({KeyringDaemon::Keyring::running, session_->display()});
    if (!daemon.problem().isEmpty())
        GTEST_SKIP() << "no keyring daemon could be started here: " << daemon.problem().toStdString();
    DesktopKeychain keychain(daemon.bus());
    ASSERT_TRUE(QCoro::waitFor(keychain.write(QStringLiteral("app.tavrin"), QStringLiteral("anthropic-api-key"),
                                              "sk-ant-kept-locked"))
                    .ok());
    ASSERT_TRUE(daemon.lock());
    programEnvironment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), daemon.address());
    ASSERT_TRUE(startTavrin(QStringLiteral("xcb"), {{QStringLiteral("aiEngine"), QStringLiteral("claude")}}))
        << output_.toStdString();

    // Alt+Space: the bar, and no prompt, however long one waits.
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("alt+space")}));
    xcb_window_t bar = 0;
    ASSERT_TRUE(
        waitUntil([&] { return (bar = clientTitled(QStringLiteral("Tavrin"))) != 0 && isViewable(bar); }, 10.0));
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == bar; }, 5.0));
    pause(2.0);
    EXPECT_FALSE(promptShows());
    EXPECT_TRUE(daemon.defaultKeyringLocked());
    saveScreenshot(QStringLiteral("keyring-locked-bar-open.png"));

    // Typed keys go into the bar: Return plans what was typed, and only
    // now the keyring asks to be unlocked.
    ASSERT_TRUE(xdotool({QStringLiteral("type"), QStringLiteral("put the editor beside the browser")}));
    EXPECT_EQ(activeWindow(), bar);
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Return")}));
    EXPECT_TRUE(waitUntil([&] { return promptShows(); }, 15.0)) << "no unlock prompt after planning";
    saveScreenshot(QStringLiteral("keyring-locked-bar-unlocking.png"));

    // Cancelled: the keyring stays locked, the bar is still there.
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    EXPECT_TRUE(waitUntil([&] { return !promptShows(); }, 10.0));
    EXPECT_TRUE(daemon.defaultKeyringLocked());
    EXPECT_TRUE(isViewable(bar));
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == bar; }, 5.0)) << "the bar did not take the keyboard back";
    pause(1.0);
    saveScreenshot(QStringLiteral("keyring-locked-bar-cancelled.png"));
    EXPECT_TRUE(stopTavrin());
}

// gnome-keyring without a login keyring (started without --unlock): saving
// asks it to make the default keyring, whose own prompt asks for the new
// password; then the key is saved there.
TEST_F(X11KeyringBarTest, SavingWhereNoKeyringExistsHasTheKeyringMakeOne)
{
    KeyringDaemon daemon({KeyringDaemon::Keyring::withoutLogin, session_->display()});
    if (!daemon.problem().isEmpty())
        GTEST_SKIP() << "no keyring daemon could be started here: " << daemon.problem().toStdString();
    ASSERT_FALSE(daemon.defaultKeyringExists());
    DesktopKeychain keychain(daemon.bus());
    std::optional<KeychainResult> saved;
    auto save = [&]() -> QCoro::Task<> {
        saved = co_await keychain.write(QStringLiteral("app.tavrin"), QStringLiteral("anthropic-api-key"),
                                        "sk-ant-new-keyring");
    };
    [[maybe_unused]] auto running = save();
    ASSERT_TRUE(waitUntil([&] { return promptShows() || saved.has_value(); }, 20.0)) << "no prompt for a new keyring";
    ASSERT_FALSE(saved.has_value()) << saved->message.toStdString();
    pause(1.0);
    saveScreenshot(QStringLiteral("keyring-new-keyring-prompt.png"));
    for (const QString& key : {QStringLiteral("type:new-password"), QStringLiteral("key:Tab"),
                               QStringLiteral("type:new-password"), QStringLiteral("key:Return")}) {
        const QString action = key.section(QLatin1Char(':'), 0, 0), value = key.section(QLatin1Char(':'), 1);
        ASSERT_TRUE(xdotool({action, value}));
        pause(0.3);
    }
    ASSERT_TRUE(waitUntil([&] { return saved.has_value(); }, 20.0)) << "the save did not finish";
    EXPECT_EQ(saved->status, KeychainStatus::ok) << saved->message.toStdString();
    EXPECT_TRUE(daemon.defaultKeyringExists());
    DesktopKeychain again(daemon.bus());
    EXPECT_EQ(QCoro::waitFor(again.read(QStringLiteral("app.tavrin"), QStringLiteral("anthropic-api-key"))).data,
              QByteArray("sk-ant-new-keyring"));
}

// Cancelling the keyring's prompt to make a keyring ends the save there: no
// second prompt follows (the keyring library would ask once more on the
// write), and the answer says the user cancelled.
TEST_F(X11KeyringBarTest, CancellingTheNewKeyringPromptEndsTheSaveAfterOnePrompt)
{
    KeyringDaemon daemon({KeyringDaemon::Keyring::withoutLogin, session_->display()});
    if (!daemon.problem().isEmpty())
        GTEST_SKIP() << "no keyring daemon could be started here: " << daemon.problem().toStdString();
    DesktopKeychain keychain(daemon.bus());
    std::optional<KeychainResult> saved;
    auto save = [&]() -> QCoro::Task<> {
        saved = co_await keychain.write(QStringLiteral("app.tavrin"), QStringLiteral("anthropic-api-key"),
                                        "sk-ant-cancelled");
    };
    [[maybe_unused]] auto running = save();
    ASSERT_TRUE(waitUntil([&] { return promptShows() || saved.has_value(); }, 20.0)) << "no prompt for a new keyring";
    ASSERT_FALSE(saved.has_value()) << saved->message.toStdString();
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    // A second prompt would wait for the user, and the save with it.
    ASSERT_TRUE(waitUntil([&] { return saved.has_value(); }, 20.0)) << "a second prompt held the save";
    EXPECT_EQ(saved->status, KeychainStatus::noCollection) << saved->message.toStdString();
    EXPECT_TRUE(saved->cancelled);
    EXPECT_FALSE(promptShows());
    EXPECT_FALSE(daemon.defaultKeyringExists());
}

} // namespace
} // namespace tavrin
