#pragma once

#include "commandbar/commandbarphase.h"
#include "commandbar/commandbarservices.h"
#include "design/displaypreview.h"
#include "planning/aiengine.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

class QHBoxLayout;
class QVBoxLayout;

namespace tavrin {

class AIGlow;
class CommandBarModel;
class KeyButton;
class PlanRow;
class Spinner;
class TaskField;
struct SavedWorkspace;

// The command bar's view: a glass card with the planner glow, the input
// line, and two columns: on the left the content of the model's phase
// (saved workspaces and examples while asking, skeleton rows while
// thinking, the plan while previewing, adjusting or arranging, the message
// when failed), on the right a miniature of every display, the first showing
// the plan as its rows are revealed. It keeps no state but the keyboard
// focus; everything it shows comes from the model and the settings, and
// everything the user does goes to the model.
//
// The card is 820 points wide inside a 48-point margin for the glow (a
// narrower card when the display has less room).
class CommandBarView : public QWidget {
    Q_OBJECT
public:
    static constexpr double kCardWidth = 820;
    static constexpr int kMargin = 48;
    static constexpr double kColumnRatio = 2.35;
    static constexpr double kOtherPreviewFraction = 0.44;

    explicit CommandBarView(CommandBarModel& model, double cardWidth = kCardWidth, QWidget* parent = nullptr);
    ~CommandBarView() override;

    // "Review the open pull request", "Put these side by side", "Catch up on
    // messages".
    static const QStringList& examplePrompts();
    // The AI setup card is wanted: the engine is off, or it is the Claude
    // engine and the Keychain has answered that no key is stored (until it
    // answers, a user who has a key is not asked for one).
    bool aiNeedsSetup() const;
    // The first planner in use ("On-device", "Tavrin AI", "Claude · your
    // key"), or "AI is off".
    QString engineLabel() const;
    // A preview's header: "3 windows · Halves on Studio Display", or, with no
    // windows, "1 app".
    static QString previewSummary(const CommandBarModel& model);
    // Whether a display is a built-in panel, captioned "built-in".
    static bool isBuiltIn(const QString& displayName);

    TaskField* field() const { return field_; }
    double cardWidth() const { return cardWidth_; }
    double columnWidth() const { return cardWidth_ / kColumnRatio; }
    // The miniatures of the display column, in display order.
    QList<DisplayPreview*> previews() const { return previews_; }
    // What the first display's miniature shows.
    QList<DisplayPreview::Item> firstPreviewItems() const;

    // ---- Keys and buttons ----
    void onReturn(Qt::KeyboardModifiers modifiers, bool autoRepeat);
    void tab();
    void escape();
    void useClaudeKey();
    // Cancels and closes the bar and asks for the Settings window's AI pane.
    void openSettings();
    // Takes the focus away and gives it back on the next turn of the main
    // loop, so the field takes the keyboard again.
    void refocus();
    // The bar is replaced by a new view: this one, on its way out, no longer
    // rebuilds itself as the model changes.
    void stopFollowing();

signals:
    // The user asked for the AI settings.
    void settingsRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Builders of the pieces.
    QWidget* leftColumn();
    QWidget* displayColumn();
    QWidget* inputRow();
    QWidget* askingContent();
    QWidget* thinkingContent();
    QWidget* previewContent();
    // The preview's rows: a plan row per window, then a row per clear.
    QVBoxLayout* planList();
    // Arrange, Adjust and Save as, the last on a line of its own when the
    // workspace's name leaves no room beside the others.
    QWidget* previewFooter();
    QWidget* failedContent(const CommandBarPhase& phase);
    QWidget* aiSetupCard();
    QWidget* savedRow(const SavedWorkspace& workspace);
    QWidget* exampleRow(const QString& prompt);
    QWidget* sectionHeader(const QString& title, const QString& detail, const char* name);
    QWidget* noteBox(const QString& label, const QString& text, bool alert);
    QWidget* footerBar(QHBoxLayout*& row);
    double leftWidth() const { return cardWidth_ - columnWidth(); }

    void followModel(CommandBarModel& model);
    void phaseChanged();
    void rebuildContent();
    void rebuildDisplays();
    void revealedChanged();
    void refreshFirstPreview();
    void refreshPlanEnabled();
    void refreshBusy();
    void focusField();

    AIEngine engine() const;

    QPointer<CommandBarModel> model_;
    // The model's services, kept for after the model has gone.
    CommandBarServices s_;
    double cardWidth_;
    CommandBarPhase shownPhase_;
    AIGlow* glow_ = nullptr;
    TaskField* field_ = nullptr;
    Spinner* spinner_ = nullptr;
    QVBoxLayout* contentLayout_ = nullptr;
    QWidget* content_ = nullptr;
    QVBoxLayout* columnLayout_ = nullptr;
    QList<DisplayPreview*> previews_;
    std::vector<PlanRow*> planRows_;
    KeyButton* planButton_ = nullptr;
};

} // namespace tavrin
