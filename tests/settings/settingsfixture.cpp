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
    PlanningServices planning;
    planning.defaults = &env.defaults;
    planning.clock = &env.clock;
    planning.http = &http;
    planning.keychain = &keychain;
    planning.log = &log;
    planners = std::make_unique<PlannerRouter>(planning);
}

SettingsTest::~SettingsTest()
{
    window_.reset();
    settle();
}

SettingsServices SettingsTest::services()
{
    SettingsServices s;
    s.state = state.get();
    s.windows = &windows;
    s.updater = updater.get();
    s.shortcuts = &shortcutStore;
    s.router = &router;
    s.keychain = &keychain;
    s.log = &log;
    s.planners = planners.get();
    s.autoArrange = &autoArrange;
    s.learning = &learning;
    s.habits = &habits;
    s.shareSafe = &shareSafe;
    s.focus = &focus;
    s.openFirstRun = [this] { ++firstRunOpened; };
    s.loginItem = LoginItem(folder.filePath(QStringLiteral("autostart/tavrin.desktop")),
                            {QStringLiteral("/opt/tavrin/bin/tavrin")});
    return s;
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
