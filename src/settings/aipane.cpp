#include "settings/aipane.h"

#include "design/keymsg.h"
#include "design/meter.h"
#include "design/tcard.h"
#include "design/tcardtitle.h"
#include "design/tseg.h"
#include "planning/aiengine.h"
#include "planning/plannerrouter.h"
#include "planning/usagecounters.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/languagemodel.h"
#include "settings/claudekeycard.h"
#include "settings/requestlogcard.h"
#include "settings/settingswitch.h"
#include "settings/switchrow.h"

namespace tavrin {

namespace {
const QString kEngineKey = QStringLiteral("aiEngine");
const QString kURLsKey = QStringLiteral("sendBrowserURLs");

QString engineLabel(AIEngine engine)
{
    switch (engine) {
    case AIEngine::off: return QCoreApplication::translate("AIPane", "Off");
    case AIEngine::onDevice: return QCoreApplication::translate("AIPane", "On this computer");
    case AIEngine::tavrinAI: return QCoreApplication::translate("AIPane", "Tavrin AI");
    case AIEngine::claude: return QCoreApplication::translate("AIPane", "Your Claude key");
    }
    return {};
}
} // namespace

AIPane::AIPane(KeychainStore& keychain, RequestLog& log, PlannerRouter& planners, QWidget* parent)
    : PanePage(tr("AI"), tr("Choose what plans the tasks you type in the command bar, and see exactly what was sent."),
               parent),
      planners_(planners)
{
    addEngineCard();
    const PlanningServices& s = planners_.services();
    keyCard_ = new ClaudeKeyCard(keychain, planners_.claude(), s.defaults, s.clock, this);
    addBlock(keyCard_);
    addSendingCard();
    addUsageCard();
    addBlock(new RequestLogCard(log, this));
}

void AIPane::addEngineCard()
{
    TCard* card = addCard();
    card->addWidget(new TCardTitle(tr("Planner")));
    QList<TSeg::Option> options;
    for (AIEngine engine : kAllAIEngines)
        options.append({name(engine), engineLabel(engine)});
    engine_ = new TSeg(options, name(currentAIEngine(planners_.services().defaults)));
    engine_->setObjectName(QStringLiteral("engineChoice"));
    card->addWidget(engine_);
    engineNote_ = new KeyMsg(QString(), KeyMsg::Tone::plain);
    card->addWidget(engineNote_);
    connect(engine_, &TSeg::selectionChanged, this, [this](const QVariant& value) {
        planners_.services().defaults.setValue(kEngineKey, value.toString());
        showEngineNote();
    });
    // A model server may start or stop while the pane is open.
    if (LanguageModel* model = planners_.services().languageModel) {
        connect(model, &LanguageModel::availabilityChanged, this, &AIPane::showEngineNote);
        [[maybe_unused]] auto check = model->checkAvailability();
    }
    showEngineNote();
}

void AIPane::showEngineNote()
{
    const AIEngine engine = aiEngineFromName(engine_->selection().toString()).value_or(AIEngine::off);
    QString note;
    switch (engine) {
    case AIEngine::off: note = tr("The command bar offers your saved workspaces only."); break;
    case AIEngine::onDevice: {
        const LanguageModel* model = planners_.services().languageModel;
        const LanguageModel::Availability availability = model ? model->availability() : LanguageModel::Availability{};
        note = availability.available
                   ? tr("Tasks are planned on this computer. Nothing leaves it.")
                   : tr("This computer has no language model Tavrin can use, so the command bar can't plan with it.");
        if (!availability.available && !availability.reason.isEmpty())
            note += QLatin1Char(' ') + availability.reason;
        break;
    }
    case AIEngine::tavrinAI:
        // Shown as the on-device planner is without a model: unavailable, and why.
        note = tr("Tavrin AI isn't available, so the command bar can't plan with it.") + QLatin1Char(' ')
               + PlannerRouter::tavrinAIReason();
        break;
    case AIEngine::claude:
        note = tr("Anthropic's Claude plans your tasks with your own key. It gets what you type and the apps and "
                  "titles of your windows.");
        break;
    }
    engineNote_->setText(note);
}

void AIPane::addSendingCard()
{
    TCard* card = addCard();
    card->addWidget(new TCardTitle(tr("What's sent")));
    onDeviceFirst_ = new SettingSwitch(SettingSwitch::key(QStringLiteral("tryOnDeviceFirst"), false));
    card->addWidget(new SwitchRow(tr("Try this computer first"),
                                  tr("When this computer's model can plan the task within 3 seconds, nothing is sent."),
                                  onDeviceFirst_));
    urls_ = new SettingSwitch(SettingSwitch::key(kURLsKey, true));
    card->addWidget(new SwitchRow(tr("Send browser addresses"),
                                  tr("Planners see the address of the front tab of each browser window."), urls_));
    tabTitles_ = new SettingSwitch(SettingSwitch::key(QStringLiteral("sendBrowserTabTitles"), false));
    tabTitlesRow_ =
        new SwitchRow(tr("Send the titles of other tabs"),
                      tr("Planners also see the titles of the other tabs. Needs browser addresses."), tabTitles_);
    card->addWidget(tabTitlesRow_);
    const auto follow = [this] { tabTitlesRow_->setActive(urls_->isChecked()); };
    connect(urls_, &QAbstractButton::toggled, this, follow);
    follow();
}

void AIPane::addUsageCard()
{
    TCard* card = addCard();
    card->addWidget(new TCardTitle(tr("This month")));
    const PlanningServices& s = planners_.services();
    const UsageCounters counters(s.defaults, s.clock);
    const QDateTime now = s.clock.nowDate();
    const qint64 device = counters.count(now, UsageCounters::Kind::device);
    const qint64 cloud = counters.count(now, UsageCounters::Kind::cloud);
    usage_ = new KeyMsg(tr("%1 planned on this computer, %2 in the cloud.")
                            .arg(device == 1 ? tr("1 task") : tr("%1 tasks").arg(device))
                            .arg(cloud),
                        KeyMsg::Tone::plain);
    usage_->setObjectName(QStringLiteral("usageText"));
    card->addWidget(usage_);

    const auto& allowance = planners_.tavrinAI().lastUsage();
    const bool known = allowance && allowance->limit > 0;
    meter_ = new Meter(known ? double(allowance->used) / double(allowance->limit) : 0);
    meter_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    card->addWidget(meter_);
    allowance_ =
        new KeyMsg(known ? tr("Tavrin AI: %1 of your %2 plans this month.").arg(allowance->used).arg(allowance->limit)
                         : tr("Tavrin AI shows your monthly allowance here after your first plan with it."),
                   KeyMsg::Tone::plain);
    card->addWidget(allowance_);
    // Tavrin AI never plans here (its service is not part of this program):
    // no allowance to wait for.
    meter_->setVisible(known);
    allowance_->setVisible(known);
}

} // namespace tavrin
