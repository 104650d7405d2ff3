#include "settingsfixture.h"

#include "app/commandbarcontrol.h"
#include "windows/hotkeycenter.h"
#include "windows/shortcutstore.h"

#include <QApplication>

namespace tavrin {

namespace {
class IdleCommandBar : public CommandBarControl {
public:
    bool isShowing() const override { return false; }
    void orderOut() override {}
    void show() override {}
    void open(const SavedWorkspace&) override {}
    void ask(const QString&) override {}
    void onSettingsRequested(std::function<void()>) override {}
};
} // namespace

QCoro::Task<HttpResponse> CannedHttp::send(HttpRequest request)
{
    requests << request;
    co_return answer;
}

SettingsTest::SettingsTest()
{
    Platform services = Platform::current();
    services.http = &http;
    Platform::install(services);
    updater = std::make_unique<Updater>(Platform::current());
    state = std::make_unique<AppState>(
        AppState::Parts{windows, shortcutStore, hotKeys, std::make_unique<IdleCommandBar>(), Platform::current()});
    planners = std::make_unique<PlannerRouter>(PlanningServices{
        .defaults = env.defaults, .clock = env.clock, .http = &http, .keychain = keychain, .log = log});
}

SettingsTest::~SettingsTest()
{
    window_.reset();
    settle();
}

SettingsServices SettingsTest::services()
{
    return {.state = *state,
            .windows = windows,
            .updater = *updater,
            .shortcuts = shortcutStore,
            .router = router,
            .keychain = keychain,
            .log = log,
            .planners = *planners,
            .autoArrange = autoArrange,
            .learning = learning,
            .habits = habits,
            .shareSafe = shareSafe,
            .focus = focus,
            .openFirstRun = [this] { ++firstRunOpened; },
            .loginItem = LoginItem(folder.filePath(QStringLiteral("autostart/tavrin.desktop")),
                                   {QStringLiteral("/opt/tavrin/bin/tavrin")})};
}

SettingsWindow& SettingsTest::window()
{
    if (!window_)
        window_ = std::make_unique<SettingsWindow>(services());
    return *window_;
}

void SettingsTest::settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

} // namespace tavrin
