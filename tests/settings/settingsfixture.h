#pragma once

#include "app/appstate.h"
#include "app/updates/updater.h"
#include "focus/focus.h"
#include "modes/meetingmode.h"
#include "modes/privacyprompt.h"
#include "modes/sharesafe.h"
#include "planning/keychainstore.h"
#include "planning/plannerrouter.h"
#include "planning/requestlog.h"
#include "platform/httpclient.h"
#include "settings/settingsrouter.h"
#include "settings/settingsservices.h"
#include "settings/settingsview.h"
#include "settings/settingswindow.h"
#include "snapping/arranging/autoarrange.h"
#include "snapping/learning/habits.h"
#include "snapping/learning/learning.h"
#include "support/simfixture.h"
#include "windows/hotkeycenter.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"
#include "workspaces/workspacerunner.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace tavrin {

// Answers every request with one canned response and keeps what was asked.
class CannedHttp : public HttpClient {
public:
    QCoro::Task<HttpResponse> send(HttpRequest request) override;

    HttpResponse answer{200, QByteArrayLiteral("{\"data\":[]}"), HttpResponse::Failure::none, {}};
    QList<HttpRequest> requests;
};

// A simulated desktop with everything the Settings window works with made
// for the test: the shell's state (with a command bar that does nothing),
// an updater, a request log, the planners on a canned network, a router,
// learning, habits and automatic arrangement (over the shared window manager,
// which the window is given too),
// Share-safe with its prompt, meeting mode, the Focus engine, an autostart
// entry in a temporary folder, and a desktop-settings opener that records
// what it would start. The shared shortcut store is used (the shell registers the hot keys from it).
class SettingsTest : public ::testing::Test {
protected:
    SettingsTest();
    ~SettingsTest() override;

    // Services for a window: every collaborator is the test's own.
    SettingsServices services();
    // The Settings window, made on first use.
    SettingsWindow& window();
    // Shows the window on a pane and returns that pane's widget.
    template <class Pane>
    Pane* open(SettingsPane pane)
    {
        window().show(pane);
        settle();
        return qobject_cast<Pane*>(window().view()->pane());
    }
    // Lets queued deletions and layouts run.
    static void settle();

    SimEnvironment env;
    QTemporaryDir folder;
    CannedHttp http;
    WindowManager windows;
    ShortcutStore shortcutStore;
    HotKeyCenter hotKeys;
    std::unique_ptr<AppState> state;
    std::unique_ptr<Updater> updater;
    RequestLog log{env.clock};
    KeychainStore keychain{env.keychain, Platform::current().workspace};
    std::unique_ptr<PlannerRouter> planners;
    SettingsRouter router;
    Learning learning{env.defaults, env.clock};
    Habits habits{windows, Platform::current()};
    AutoArrange autoArrange{windows, Platform::current()};
    PrivacyPrompt prompt{env.clock, windows};
    ShareSafe shareSafe{prompt, Platform::current()};
    MeetingMode meeting{windows, autoArrange, Platform::current()};
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner{windows, Platform::current(), active};
    Focus focus{meeting, shareSafe, windows, runner, Platform::current()};
    int firstRunOpened = 0;

private:
    std::unique_ptr<SettingsWindow> window_;
};

} // namespace tavrin
