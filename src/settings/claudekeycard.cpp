#include "settings/claudekeycard.h"

#include "design/designfont.h"
#include "design/frow.h"
#include "design/keymsg.h"
#include "design/tbutton.h"
#include "design/tcardtitle.h"
#include "design/tfield.h"
#include "design/tseg.h"
#include "planning/claudekeyplanner.h"
#include "planning/claudemodel.h"
#include "planning/keychainstore.h"
#include "platform/defaults.h"
#include "platform/timer.h"
#include "settings/messageline.h"

#include <QHBoxLayout>
#include <QPointer>

namespace tavrin {

namespace {
const QString kModelKey = QStringLiteral("claudeModel");
}

ClaudeKeyCard::ClaudeKeyCard(KeychainStore& keychain, ClaudeKeyPlanner& planner, Defaults& defaults, Clock& clock,
                             QWidget* parent)
    : TCard(kUsualPadding, parent),
      keychain_(keychain),
      planner_(planner)
{
    setObjectName(QStringLiteral("claudeKeyCard"));
    addWidget(new TCardTitle(tr("Your Claude key")));
    state_ = new KeyMsg(QString(), KeyMsg::Tone::plain);
    state_->setObjectName(QStringLiteral("keyState"));
    addWidget(state_);

    field_ = new TField(true);
    field_->setObjectName(QStringLiteral("claudeKeyField"));
    field_->setEchoMode(QLineEdit::Password);
    field_->setPlaceholderText(QStringLiteral("sk-ant-…"));
    field_->setAccessibleName(tr("Claude key"));
    save_ = new TButton(tr("Save"), TButtonStyle::Kind::primary);
    save_->setObjectName(QStringLiteral("saveKey"));
    test_ = new TButton(tr("Test"));
    test_->setObjectName(QStringLiteral("testKey"));
    clear_ = new TButton(tr("Clear"), TButtonStyle::Kind::ghost);
    clear_->setObjectName(QStringLiteral("clearKey"));
    auto* entry = new QHBoxLayout;
    entry->setSpacing(8);
    entry->addWidget(field_, 1);
    entry->addWidget(save_);
    entry->addWidget(test_);
    entry->addWidget(clear_);
    addLayout(entry);
    result_ = new MessageLine;
    result_->setObjectName(QStringLiteral("keyResult"));
    addWidget(result_);

    connect(save_, &QAbstractButton::clicked, this,
            [this] { task_.start([this, key = field_->text()](CancelToken cancel) { return saveKey(key, cancel); }); });
    connect(field_, &QLineEdit::returnPressed, save_, &QAbstractButton::click);
    connect(clear_, &QAbstractButton::clicked, this,
            [this] { task_.start([this](CancelToken cancel) { return clearKey(cancel); }); });
    connect(test_, &QAbstractButton::clicked, this, [this] {
        task_.start([this, typed = field_->text()](CancelToken cancel) { return testKey(typed, cancel); });
    });

    QList<TSeg::Option> models;
    for (ClaudeModel m : kAllClaudeModels)
        models.append({name(m), m == ClaudeModel::haiku ? tr("Haiku (faster)") : tr("Sonnet (smarter)")});
    model_ = new TSeg(models, name(currentClaudeModel(defaults)));
    model_->setObjectName(QStringLiteral("claudeModel"));
    connect(model_, &TSeg::selectionChanged, this,
            [&defaults](const QVariant& value) { defaults.setValue(kModelKey, value.toString()); });
    addWidget(new FRow(tr("Model"), model_));

    waiting_ = new Timer(clock, this);
    connect(waiting_, &Timer::timeout, this,
            [this] { result_->say(KeychainStore::waitingMessage(), KeyMsg::Tone::plain); });

    connect(&keychain_, &KeychainStore::hasClaudeKeyChanged, this, &ClaudeKeyCard::showState);
    showState();
    stateTask_.start([this](CancelToken cancel) { return readState(cancel); });
}

void ClaudeKeyCard::showState()
{
    // A keyring that couldn't be read is said as such, not as "no key".
    const QString problem = keychain_.claudeKeyProblem();
    state_->setTone(problem.isEmpty() ? KeyMsg::Tone::plain : KeyMsg::Tone::err);
    if (!problem.isEmpty())
        state_->setText(problem);
    else if (keychain_.hasClaudeKey() && keychain_.claudeKeyLocked())
        state_->setText(tr("A key is saved in your keyring, which is locked. It asks to be unlocked when you plan "
                           "with the key."));
    else if (keychain_.hasClaudeKey())
        state_->setText(tr("A key is saved in your keyring. Plans with it are billed to your Anthropic account."));
    else
        state_->setText(
            tr("Paste a key from your Anthropic account. It's kept in your keyring and sent only to Anthropic."));
}

void ClaudeKeyCard::waitForKeyring(bool waiting)
{
    // Said only when the keyring takes longer than an answer over the bus
    // does: then it shows a prompt (or does not answer at all).
    if (waiting) {
        if (!waiting_->isActive())
            waiting_->start(kWaitingDelay);
    } else {
        waiting_->stop();
        if (result_->text() == KeychainStore::waitingMessage())
            result_->clear();
    }
}

QString ClaudeKeyCard::refusal(const KeychainResult& answer, const QString& refused) const
{
    switch (answer.status) {
    case KeychainStatus::noService: return KeychainStore::noKeyringMessage();
    case KeychainStatus::noCollection:
        return answer.cancelled ? keychain_.cancelledMessage() : keychain_.noCollectionMessage();
    case KeychainStatus::failed: return tr("%1: %2").arg(refused, answer.message);
    default: return tr("%1. Check that it's unlocked, then try again.").arg(refused);
    }
}

QCoro::Task<> ClaudeKeyCard::readState(CancelToken cancel)
{
    QPointer<ClaudeKeyCard> self(this);
    // Only whether there is a key is asked: a locked keyring stays locked,
    // with no prompt, until a plan needs the key.
    auto look = keychain_.lookForClaudeKey();
    co_await std::move(look);
    if (!self || cancel.isCancelled())
        co_return;
    showState();
}

QCoro::Task<> ClaudeKeyCard::saveKey(QString key, CancelToken cancel)
{
    QPointer<ClaudeKeyCard> self(this);
    if (key.trimmed().isEmpty()) {
        result_->say(tr("Paste your key into the field first."), KeyMsg::Tone::err);
        co_return;
    }
    auto write = keychain_.setClaudeKey(key);
    waitForKeyring(true);
    const KeychainResult saved = co_await std::move(write);
    if (!self || cancel.isCancelled())
        co_return;
    waitForKeyring(false);
    if (saved.answered()) {
        field_->clear();
        result_->say(tr("Saved in your keyring."), KeyMsg::Tone::ok);
    } else {
        result_->say(refusal(saved, tr("Your keyring didn't take the key")), KeyMsg::Tone::err);
    }
}

QCoro::Task<> ClaudeKeyCard::clearKey(CancelToken cancel)
{
    QPointer<ClaudeKeyCard> self(this);
    field_->clear();
    auto write = keychain_.setClaudeKey(QString());
    waitForKeyring(true);
    const KeychainResult removed = co_await std::move(write);
    if (!self || cancel.isCancelled())
        co_return;
    waitForKeyring(false);
    if (removed.answered())
        result_->say(tr("The key is gone from your keyring."), KeyMsg::Tone::ok);
    else
        result_->say(refusal(removed, tr("Your keyring didn't let Tavrin remove the key")), KeyMsg::Tone::err);
}

QCoro::Task<> ClaudeKeyCard::testKey(QString typed, CancelToken cancel)
{
    QPointer<ClaudeKeyCard> self(this);
    QString key = typed.trimmed();
    if (key.isEmpty()) {
        auto read = keychain_.claudeKey();
        waitForKeyring(true);
        key = (co_await std::move(read)).value_or(QString());
        if (!self || cancel.isCancelled())
            co_return;
        waitForKeyring(false);
    }
    if (key.isEmpty()) {
        const QString problem = keychain_.claudeKeyProblem();
        result_->say(problem.isEmpty() ? tr("Paste a key or save one first.") : problem, KeyMsg::Tone::err);
        co_return;
    }
    result_->say(tr("Asking Anthropic…"), KeyMsg::Tone::plain);
    auto test = planner_.testKey(key);
    const std::optional<PlannerError> error = co_await std::move(test);
    if (!self || cancel.isCancelled())
        co_return;
    if (error)
        result_->say(error->message, KeyMsg::Tone::err);
    else
        result_->say(tr("Anthropic accepted the key."), KeyMsg::Tone::ok);
}

} // namespace tavrin
