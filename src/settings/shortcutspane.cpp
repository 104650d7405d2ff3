#include "settings/shortcutspane.h"

#include "design/designfont.h"
#include "design/environment.h"
#include "design/keymsg.h"
#include "design/tbutton.h"
#include "design/tcard.h"
#include "design/tcardtitle.h"
#include "design/themedlabel.h"
#include "platform/defaults.h"
#include "platform/linuxwords.h"
#include "platform/platform.h"
#include "settings/messageline.h"
#include "settings/recorderbutton.h"
#include "settings/settingswitch.h"
#include "settings/shortcutrecorder.h"
#include "settings/switchrow.h"
#include "windows/shortcutstore.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrin {

namespace {
using Kind = ShortcutAction::Kind;

QString groupTitle(Kind kind)
{
    switch (kind) {
    case Kind::layout: return QCoreApplication::translate("ShortcutsPane", "Layouts");
    case Kind::arrow: return QCoreApplication::translate("ShortcutsPane", "Arrows");
    case Kind::moveDisplay: return QCoreApplication::translate("ShortcutsPane", "Displays");
    case Kind::snap: return QCoreApplication::translate("ShortcutsPane", "Letter grid");
    default: return QCoreApplication::translate("ShortcutsPane", "More");
    }
}

// Actions of one group share a card: the plain ones (command bar, fill, …)
// are one group.
bool sameGroup(Kind a, Kind b)
{
    const auto group = [](Kind k) { return k <= Kind::snap ? int(k) : int(Kind::snap) + 1; };
    return group(a) == group(b);
}
} // namespace

ShortcutsPane::ShortcutsPane(ShortcutStore& store, QWidget* parent)
    : PanePage(tr("Shortcuts"),
               tr("Click a shortcut and press the keys you want. Delete leaves an action without one; Escape "
                  "cancels."),
               parent),
      store_(store),
      recorder_(new ShortcutRecorder(store, &ShortcutsPane::title, this))
{
    letterGrid_ = new SettingSwitch({[] { return Platform::current().defaults->boolValue(kLetterGridKey); },
                                     [this](bool on) { setLetterGrid(store_, on); },
                                     {kLetterGridKey}});
    letterGrid_->setObjectName(QStringLiteral("letterGridSwitch"));
    addCard()->addWidget(new SwitchRow(tr("Letter grid"),
                                       tr("Ctrl+Alt with Q W E, A S D or Z X C puts the window in one of nine zones."),
                                       letterGrid_));
    addActionCards();

    reset_ = new TButton(tr("Reset all"));
    reset_->setObjectName(QStringLiteral("resetAll"));
    connect(reset_, &QAbstractButton::clicked, this, [this] {
        recorder_->cancel();
        store_.resetAll();
    });
    auto* footer = new QWidget;
    auto* line = new QHBoxLayout(footer);
    line->setContentsMargins(0, 0, 0, 0);
    line->addStretch(1);
    line->addWidget(reset_);
    addBlock(footer);

    connect(&store_, &ShortcutStore::bindingsChanged, this, &ShortcutsPane::showBindings);
    connect(&store_, &ShortcutStore::unavailableChanged, this, &ShortcutsPane::showBindings);
    connect(recorder_, &ShortcutRecorder::changed, this, &ShortcutsPane::showRecorder);
    showBindings();
}

QString ShortcutsPane::title(const ShortcutAction& action)
{
    switch (action.kind) {
    case Kind::layout: return tavrin::title(action.layoutKind);
    case Kind::arrow:
        switch (action.direction) {
        case Arrow::left: return tr("Left");
        case Arrow::right: return tr("Right");
        case Arrow::up: return tr("Up");
        case Arrow::down: return tr("Down");
        }
        break;
    case Kind::moveDisplay: return action.right ? tr("Display on the right") : tr("Display on the left");
    case Kind::snap: {
        static const char* const names[] = {
            QT_TR_NOOP("Top left"),    QT_TR_NOOP("Top half"),     QT_TR_NOOP("Top right"),
            QT_TR_NOOP("Left third"),  QT_TR_NOOP("Centre third"), QT_TR_NOOP("Right third"),
            QT_TR_NOOP("Bottom left"), QT_TR_NOOP("Bottom half"),  QT_TR_NOOP("Bottom right")};
        return tr(names[int(action.target)]);
    }
    case Kind::commandBar: return tr("Command bar");
    case Kind::usualLayout: return tr("Usual layout");
    case Kind::fill: return tr("Fill the screen");
    case Kind::shareSafe: return tr("Share-safe on or off");
    case Kind::hideApp: {
        const QString blur = tr("Blur the app in front");
        return Environment::blurAvailable() ? blur : LinuxWords::of(blur);
    }
    }
    return action.id();
}

void ShortcutsPane::setLetterGrid(ShortcutStore& store, bool on)
{
    Platform::current().defaults->setValue(kLetterGridKey, on);
    emit store.bindingsChanged();
    if (store.onChange)
        store.onChange();
}

void ShortcutsPane::addActionCards()
{
    TCard* card = nullptr;
    std::optional<Kind> group;
    for (const ShortcutAction& action : ShortcutAction::allCases()) {
        if (!group || !sameGroup(*group, action.kind)) {
            group = action.kind;
            card = addCard();
            card->contentLayout()->setSpacing(8);
            card->addWidget(new TCardTitle(groupTitle(action.kind)));
        }
        addRow(card, action);
    }
}

void ShortcutsPane::addRow(TCard* card, const ShortcutAction& action)
{
    Row row{action, new RecorderButton, new KeyMsg(tr("Another app has this key."), KeyMsg::Tone::err),
            new MessageLine};
    row.button->setObjectName(QStringLiteral("record.") + action.id());
    row.button->setAccessibleName(title(action));
    connect(row.button, &QAbstractButton::clicked, this, [this, action] {
        if (recorder_->isListening() && recorder_->action() == action)
            recorder_->cancel();
        else
            recorder_->start(action, this);
    });
    row.taken->setWordWrap(false);
    row.taken->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    auto* line = new QWidget;
    line->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* h = new QHBoxLayout(line);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(10);
    h->addWidget(new ThemedLabel(title(action), TTheme::Colour::ink, DesignFont::system(13)), 0, Qt::AlignVCenter);
    h->addWidget(row.taken, 0, Qt::AlignVCenter);
    h->addStretch(1);
    h->addWidget(row.button, 0, Qt::AlignVCenter);
    card->addWidget(line);
    card->addWidget(row.message);
    rows_.append(row);
}

void ShortcutsPane::showBindings()
{
    const QSet<QString> unavailable = store_.unavailable();
    for (const Row& row : rows_) {
        const auto combo = store_.combo(row.action);
        row.button->setCombo(combo ? combo->keyNames() : QStringList());
        row.taken->setVisible(combo && unavailable.contains(row.action.id()));
    }
}

void ShortcutsPane::showRecorder()
{
    for (const Row& row : rows_) {
        const bool listening = recorder_->isListening() && recorder_->action() == row.action;
        row.button->setListening(listening);
        if (listening && !recorder_->refusal().isEmpty())
            row.message->say(recorder_->refusal(), KeyMsg::Tone::err);
        else
            row.message->clear();
    }
}

const ShortcutsPane::Row* ShortcutsPane::rowOf(const ShortcutAction& action) const
{
    for (const Row& row : rows_)
        if (row.action == action)
            return &row;
    return nullptr;
}

RecorderButton* ShortcutsPane::recorderButton(const ShortcutAction& action) const
{
    const Row* row = rowOf(action);
    return row ? row->button : nullptr;
}

KeyMsg* ShortcutsPane::takenNote(const ShortcutAction& action) const
{
    const Row* row = rowOf(action);
    return row ? row->taken : nullptr;
}

MessageLine* ShortcutsPane::messageLine(const ShortcutAction& action) const
{
    const Row* row = rowOf(action);
    return row ? row->message : nullptr;
}

} // namespace tavrin
