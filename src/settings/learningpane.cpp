#include "settings/learningpane.h"

#include "app/menubar/nowcontent.h"
#include "design/designfont.h"
#include "design/hairline.h"
#include "design/keymsg.h"
#include "design/tbutton.h"
#include "design/tcard.h"
#include "design/tcardtitle.h"
#include "design/themedlabel.h"
#include "settings/messageline.h"
#include "settings/settingswitch.h"
#include "settings/switchrow.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLayoutItem>

namespace tavrin {

namespace {
ThemedLabel* small(const QString& text, TTheme::Colour colour = TTheme::Colour::muted)
{
    auto* label = new ThemedLabel(text, colour, DesignFont::system(12));
    label->setWordWrap(true);
    // As wide as the card, as high as its lines.
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    return label;
}

QWidget* line(QLayout* layout)
{
    auto* box = new QWidget;
    box->setLayout(layout);
    layout->setContentsMargins(0, 0, 0, 0);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return box;
}
} // namespace

LearningPane::LearningPane(QWidget* parent)
    : PanePage(tr("Learning"),
               tr("Tavrin notices where you put apps and when you open them. Keep what's right, forget what isn't."),
               parent)
{
    addLearnedCard();
    addSessionsCard();
    addMoveCard();
}

QString LearningPane::ruleText(const LearnedRule& rule)
{
    return tr("%1 goes %2, %3 of %4 times.").arg(rule.app, rule.sentence).arg(rule.times).arg(rule.total);
}

void LearningPane::setRules(const QList<LearnedRule>& rules)
{
    rules_ = rules;
    fillLearned();
}

void LearningPane::setMoves(int moves)
{
    moves_ = std::max(0, moves);
    fillLearned();
}

void LearningPane::setHabits(const QList<LearnedHabit>& habits)
{
    habits_ = habits;
    fillLearned();
}

void LearningPane::addLearnedCard()
{
    learned_ = addCard();
    learned_->setObjectName(QStringLiteral("learnedCard"));
    forgetAll_ = new TButton(tr("Forget everything…"));
    // Kept across refills and out of the layout while there is nothing to
    // forget: the card owns it, so it goes with the pane.
    forgetAll_->setParent(learned_);
    forgetAll_->setObjectName(QStringLiteral("forgetEverything"));
    connect(forgetAll_, &QAbstractButton::clicked, this, [this] {
        confirming_ = true;
        fillLearned();
    });
    fillLearned();
}

void LearningPane::fillLearned()
{
    QLayout* layout = learned_->contentLayout();
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* w = item->widget(); w && w != forgetAll_) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    learned_->addWidget(new TCardTitle(tr("What Tavrin learned")));
    const bool nothing = rules_.isEmpty() && habits_.isEmpty() && moves_ == 0;
    forgetAll_->setVisible(!nothing && !confirming_);
    if (nothing) {
        learned_->addWidget(new KeyMsg(tr("Nothing yet. As you move windows and open apps, what you usually do shows "
                                          "up here."),
                                       KeyMsg::Tone::plain));
        return;
    }
    learned_->addWidget(
        new KeyMsg(moves_ == 1 ? tr("Learned from 1 window move.") : tr("Learned from %1 window moves.").arg(moves_),
                   KeyMsg::Tone::plain));
    for (const LearnedRule& rule : rules_)
        learned_->addWidget(ruleRow(rule));
    if (!habits_.isEmpty()) {
        learned_->addWidget(new Hairline);
        learned_->addWidget(small(tr("Usually opened"), TTheme::Colour::ink));
        for (const LearnedHabit& habit : habits_)
            learned_->addWidget(small(tr("%1, around %2").arg(habit.app, NowContent::minuteText(habit.minute))));
    }
    learned_->addWidget(new Hairline);
    if (confirming_)
        learned_->addWidget(confirmRow());
    else
        learned_->addWidget(forgetAll_);
}

QWidget* LearningPane::ruleRow(const LearnedRule& rule)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(small(ruleText(rule), TTheme::Colour::ink), 1);
    auto button = [this, row, rule](const QString& text, TButtonStyle::Kind kind, auto signal) {
        auto* b = new TButton(text, kind);
        b->setObjectName(text.toLower());
        connect(b, &QAbstractButton::clicked, this, [this, rule, signal] { emit(this->*signal)(rule); });
        row->addWidget(b, 0, Qt::AlignVCenter);
    };
    switch (rule.state) {
    case LearnedRule::State::open:
        button(tr("Keep"), TButtonStyle::Kind::normal, &LearningPane::keepRequested);
        button(tr("Forget"), TButtonStyle::Kind::ghost, &LearningPane::forgetRequested);
        break;
    case LearnedRule::State::kept:
    case LearnedRule::State::forgotten:
        row->addWidget(new ThemedLabel(rule.state == LearnedRule::State::kept ? tr("Kept") : tr("Forgotten"),
                                       TTheme::Colour::muted, DesignFont::system(12)),
                       0, Qt::AlignVCenter);
        button(tr("Undo"), TButtonStyle::Kind::ghost, &LearningPane::undoRequested);
        break;
    }
    QWidget* box = line(row);
    box->setObjectName(QStringLiteral("rule.") + rule.app);
    return box;
}

QWidget* LearningPane::confirmRow()
{
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(new KeyMsg(tr("Forget every rule, habit and move Tavrin has learned?"), KeyMsg::Tone::err), 1);
    auto* cancel = new TButton(tr("Cancel"), TButtonStyle::Kind::ghost);
    cancel->setObjectName(QStringLiteral("cancelForget"));
    auto* forget = new TButton(tr("Forget everything"), TButtonStyle::Kind::primary);
    forget->setObjectName(QStringLiteral("confirmForget"));
    connect(cancel, &QAbstractButton::clicked, this, [this] {
        confirming_ = false;
        fillLearned();
    });
    connect(forget, &QAbstractButton::clicked, this, [this] {
        confirming_ = false;
        emit forgetEverythingRequested();
        fillLearned();
    });
    row->addWidget(cancel, 0, Qt::AlignVCenter);
    row->addWidget(forget, 0, Qt::AlignVCenter);
    return line(row);
}

void LearningPane::addSessionsCard()
{
    autoSave_ = new SettingSwitch(SettingSwitch::key(QStringLiteral("sessions.autoSave"), true));
    addCard()->addWidget(new SwitchRow(tr("Save sessions automatically"),
                                       tr("Before your computer sleeps, when you quit and every 20 minutes, Tavrin "
                                          "saves the windows of the display you're using, so you can resume them."),
                                       autoSave_));
}

void LearningPane::addMoveCard()
{
    TCard* card = addCard();
    card->addWidget(new TCardTitle(tr("Move to another computer")));
    card->addWidget(small(tr("Export what Tavrin learned, your saved workspaces and routines to one file, then import "
                             "it on the other computer. Importing replaces what's there.")));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    auto* exportButton = new TButton(tr("Export…"));
    exportButton->setObjectName(QStringLiteral("export"));
    auto* importButton = new TButton(tr("Import…"));
    importButton->setObjectName(QStringLiteral("import"));
    connect(exportButton, &QAbstractButton::clicked, this, &LearningPane::exportRequested);
    connect(importButton, &QAbstractButton::clicked, this, &LearningPane::importRequested);
    buttons->addWidget(exportButton);
    buttons->addWidget(importButton);
    buttons->addStretch(1);
    moveButtons_ = line(buttons);
    card->addWidget(moveButtons_);
    moveNote_ = new MessageLine;
    moveResult_ = new MessageLine;
    moveResult_->setObjectName(QStringLiteral("moveResult"));
    card->addWidget(moveNote_);
    card->addWidget(moveResult_);
    setMovingAvailable(false);
}

void LearningPane::setMovingAvailable(bool available)
{
    moveButtons_->setVisible(available);
    if (available)
        moveNote_->clear();
    else
        moveNote_->say(tr("Export and import aren't in this version of Tavrin yet."), KeyMsg::Tone::plain);
}

void LearningPane::showMoveResult(const QString& message, bool ok)
{
    moveResult_->say(message, ok ? KeyMsg::Tone::ok : KeyMsg::Tone::err);
}

void LearningPane::clearMoveResult() { moveResult_->clear(); }

QString LearningPane::exportedText(const QString& path)
{
    QString shown = QDir::toNativeSeparators(QDir::cleanPath(path));
    const QString home = QDir::toNativeSeparators(QDir::homePath());
    if (shown.startsWith(home + QDir::separator()))
        shown = QStringLiteral("~") + shown.mid(home.size());
    return tr("Saved to %1.").arg(shown);
}

QString LearningPane::exportFailedText(const QString& reason)
{
    QString why = reason.trimmed();
    if (why.isEmpty())
        return kExportFailed;
    why[0] = why[0].toUpper();
    if (!why.endsWith(QLatin1Char('.')))
        why += QLatin1Char('.');
    return kExportFailed + QLatin1Char(' ') + why;
}

} // namespace tavrin
