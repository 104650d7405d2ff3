#pragma once

#include "settings/panepage.h"

#include <QList>

class QVBoxLayout;

namespace tavrin {

class MessageLine;
class SettingSwitch;
class TButton;
class TCard;

// A placement the program learned, as the learning pane lists it.
struct LearnedRule {
    enum class State { open, kept, forgotten };
    QString app;
    QString zone;
    QString sentence; // the zone in words: "in the edge strip", "full screen", …
    int times = 0;    // moves into the zone
    int total = 0;    // moves of the application
    State state = State::open;
    QString display; // the display's settings key
    friend bool operator==(const LearnedRule&, const LearnedRule&) = default;
};

// When an application is usually opened.
struct LearnedHabit {
    QString app;
    int minute = 0; // of the day
    friend bool operator==(const LearnedHabit&, const LearnedHabit&) = default;
};

// The learning pane: the learned rules, each with Keep, Forget or Undo; the
// number of moves learned from; the learned habits; "Forget everything";
// the switch for automatic session saves ("sessions.autoSave"); and moving
// the learned state to another computer. It shows what it is given and asks
// for each change through its signals; until it is given anything it says
// that nothing has been learned.
class LearningPane : public PanePage {
    Q_OBJECT
public:
    static inline const QString kImportFailed = QStringLiteral("That file isn't a Tavrin export.");
    static inline const QString kExportFailed = QStringLiteral("Couldn't save the file.");

    explicit LearningPane(QWidget* parent = nullptr);

    void setRules(const QList<LearnedRule>& rules);
    void setMoves(int moves);
    void setHabits(const QList<LearnedHabit>& habits);
    // Whether export and import can be offered.
    void setMovingAvailable(bool available);
    // The outcome of an export or an import, shown under its buttons.
    void showMoveResult(const QString& message, bool ok);
    // An import that found no export in its file.
    void showImportFailed() { showMoveResult(kImportFailed, false); }
    // An export written to `path`: "Saved to ~/Documents/Tavrin learnings.plist."
    void showExported(const QString& path) { showMoveResult(exportedText(path), true); }
    // "Imported."
    void showImported() { showMoveResult(tr("Imported."), true); }
    static QString exportedText(const QString& path);
    // An export whose file could not be written, and why.
    void showExportFailed(const QString& reason) { showMoveResult(exportFailedText(reason), false); }
    // Forgets the last outcome (a new export or import begins).
    void clearMoveResult();

    // "Couldn't save the file. Permission denied."
    static QString exportFailedText(const QString& reason);

    QList<LearnedRule> rules() const { return rules_; }
    SettingSwitch* autoSaveSwitch() const { return autoSave_; }
    TButton* forgetEverythingButton() const { return forgetAll_; }
    MessageLine* moveResult() const { return moveResult_; }

    // "Safari goes in the main spot, 6 of 8 times." and the like.
    static QString ruleText(const LearnedRule& rule);

signals:
    void keepRequested(const tavrin::LearnedRule& rule);
    void forgetRequested(const tavrin::LearnedRule& rule);
    void undoRequested(const tavrin::LearnedRule& rule);
    void forgetEverythingRequested();
    void exportRequested();
    void importRequested();

private:
    void addLearnedCard();
    void addSessionsCard();
    void addMoveCard();
    void fillLearned();
    QWidget* ruleRow(const LearnedRule& rule);
    QWidget* confirmRow();

    QList<LearnedRule> rules_;
    QList<LearnedHabit> habits_;
    int moves_ = 0;
    TCard* learned_ = nullptr;
    TButton* forgetAll_ = nullptr;
    bool confirming_ = false;
    SettingSwitch* autoSave_ = nullptr;
    QWidget* moveButtons_ = nullptr;
    MessageLine* moveNote_ = nullptr;
    MessageLine* moveResult_ = nullptr;
};

} // namespace tavrin
