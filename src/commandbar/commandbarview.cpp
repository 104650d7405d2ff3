#include "commandbar/commandbarview.h"

#include "commandbar/clearrow.h"
#include "commandbar/commandbarmodel.h"
#include "commandbar/keybutton.h"
#include "commandbar/notetext.h"
#include "commandbar/planrow.h"
#include "commandbar/rowbutton.h"
#include "commandbar/rowlabel.h"
#include "commandbar/skeletonrow.h"
#include "commandbar/spinner.h"
#include "commandbar/taskfield.h"
#include "design/aiglow.h"
#include "design/designfont.h"
#include "design/elidedlabel.h"
#include "design/fillbox.h"
#include "design/hairline.h"
#include "design/kbd.h"
#include "design/layoutglyph.h"
#include "design/spark.h"
#include "design/squircle.h"
#include "design/stripdraw.h"
#include "design/tbutton.h"
#include "design/tglass.h"
#include "planning/aiengine.h"
#include "planning/keychainstore.h"
#include "planning/plannerrouter.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/linuxwords.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <cmath>

namespace tavrin {

namespace {

constexpr qreal kRadius = 18;

// The card: the two columns, with the display column's `fill` clipped to the
// card's rounded shape and a hairline down its leading edge.
class Card : public DesignWidget {
public:
    Card(double width, double columnWidth) : columnWidth_(columnWidth)
    {
        setFixedWidth(int(std::round(width)));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    }

protected:
    // Drawn once per size and theme: the glow around the card repaints the
    // card's rim on every frame.
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        const TTheme theme = t();
        const qreal scale = devicePixelRatioF();
        if (cache_.isNull() || cache_.size() != size() * scale || fill_ != theme.fill || line_ != theme.line) {
            fill_ = theme.fill;
            line_ = theme.line;
            cache_ = QImage(size() * scale, QImage::Format_ARGB32_Premultiplied);
            cache_.setDevicePixelRatio(scale);
            cache_.fill(Qt::transparent);
            QPainter p(&cache_);
            p.setRenderHint(QPainter::Antialiasing);
            const QRectF bounds(rect());
            const QRectF column(bounds.right() - columnWidth_, bounds.top(), columnWidth_, bounds.height());
            QPainterPath clip;
            clip.addRect(column);
            p.fillPath(Squircle::path(bounds, kRadius).intersected(clip), fill_);
            p.fillRect(QRectF(column.left(), column.top(), 0.5, column.height()), line_);
        }
        StripDraw::image(painter, QPointF(), cache_, event->region());
    }

private:
    double columnWidth_;
    QImage cache_;
    QColor fill_;
    QColor line_;
};

// Wraps `inner` in a widget with margins around it.
QWidget* inset(QWidget* inner, int left, int top, int right, int bottom)
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(left, top, right, bottom);
    layout->setSpacing(0);
    layout->addWidget(inner);
    return box;
}

bool trimmedOfSpacesIsEmpty(const QString& text)
{
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    return true;
}

// A vertical stack filling `content`, without margins or spacing.
QVBoxLayout* stackIn(QWidget* content)
{
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

// The rows of a list, inset 8 points at the sides.
QVBoxLayout* rowList(int top, int bottom)
{
    auto* list = new QVBoxLayout;
    list->setContentsMargins(8, top, 8, bottom);
    list->setSpacing(0);
    return list;
}

} // namespace

CommandBarView::CommandBarView(CommandBarModel& model, double cardWidth, QWidget* parent)
    : QWidget(parent),
      model_(&model),
      s_(model.services()),
      cardWidth_(std::max(cardWidth, 200.0)),
      shownPhase_(model.phase())
{
    setObjectName(QStringLiteral("commandBarView"));

    auto* card = new Card(cardWidth_, columnWidth());
    auto* columns = new QHBoxLayout(card);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    columns->addWidget(leftColumn(), 0, Qt::AlignTop);
    columns->addWidget(displayColumn());

    auto* glass = new TGlass(kRadius, card);
    glass->setOutset(kMargin);
    glow_ = new AIGlow(AIGlow::Intensity::idle, kRadius, glass);
    // The bar is all its clear panel holds.
    glow_->setClearBehind(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(glow_);

    rebuildContent();
    rebuildDisplays();
    refreshBusy();
    followModel(model);
}

CommandBarView::~CommandBarView() = default;

// The input row over the phase's content.
QWidget* CommandBarView::leftColumn()
{
    auto* left = new QWidget;
    left->setFixedWidth(int(std::round(leftWidth())));
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    leftLayout->addWidget(inputRow());
    leftLayout->addWidget(new Hairline);
    contentLayout_ = new QVBoxLayout;
    contentLayout_->setSpacing(0);
    leftLayout->addLayout(contentLayout_);
    leftLayout->addStretch(1);
    return left;
}

// The displays' previews at the right.
QWidget* CommandBarView::displayColumn()
{
    auto* column = new QWidget;
    column->setObjectName(QStringLiteral("displayColumn"));
    column->setFixedWidth(int(std::round(columnWidth())));
    columnLayout_ = new QVBoxLayout(column);
    columnLayout_->setContentsMargins(16, 16, 16, 16);
    columnLayout_->setSpacing(10);
    return column;
}

// The view rebuilds what the model's changes touch.
void CommandBarView::followModel(CommandBarModel& model)
{
    connect(&model, &CommandBarModel::phaseChanged, this, &CommandBarView::phaseChanged);
    for (auto signal : {&CommandBarModel::planChanged, &CommandBarModel::rowsChanged, &CommandBarModel::clearsChanged,
                        &CommandBarModel::captureChanged}) {
        connect(&model, signal, this, [this] {
            if (model_->phase().showsPlan())
                rebuildContent();
            refreshFirstPreview();
        });
    }
    connect(&model, &CommandBarModel::savedChanged, this, [this] {
        if (model_->phase().is(CommandBarPhase::Kind::asking))
            rebuildContent();
    });
    connect(&model, &CommandBarModel::displaysChanged, this, &CommandBarView::rebuildDisplays);
    connect(&model, &CommandBarModel::snapshotsChanged, this, &CommandBarView::rebuildDisplays);
    connect(&model, &CommandBarModel::revealedChanged, this, &CommandBarView::revealedChanged);
    connect(&model, &CommandBarModel::focusTickChanged, this, &CommandBarView::refocus);
    connect(&model, &CommandBarModel::textUpdated, this, [this] {
        if (field_->text() != model_->text())
            field_->showRequest(model_->text());
        refreshPlanEnabled();
    });
    // The Keychain answers late: the setup card follows whether a key is there.
    connect(&s_.keychain, &KeychainStore::hasClaudeKeyChanged, this, [this] {
        const auto kind = model_->phase().kind;
        if (kind == CommandBarPhase::Kind::asking || kind == CommandBarPhase::Kind::failed
            || kind == CommandBarPhase::Kind::thinking)
            rebuildContent();
        // The keyring's unlock prompt, which took the keyboard, has closed:
        // the bar takes it back.
        if (kind == CommandBarPhase::Kind::thinking && isVisible()) {
            window()->raise();
            window()->activateWindow();
        }
    });
}

void CommandBarView::stopFollowing()
{
    if (model_)
        disconnect(model_, nullptr, this, nullptr);
    disconnect(&s_.keychain, nullptr, this, nullptr);
}

// ---- Settings read when building ----

const QStringList& CommandBarView::examplePrompts()
{
    static const QStringList prompts = {QStringLiteral("Review the open pull request"),
                                        QStringLiteral("Put these side by side"),
                                        QStringLiteral("Catch up on messages")};
    return prompts;
}

AIEngine CommandBarView::engine() const { return currentAIEngine(s_.defaults); }

bool CommandBarView::aiNeedsSetup() const
{
    const AIEngine engine = this->engine();
    const KeychainStore& keys = s_.keychain;
    return engine == AIEngine::off || engine == AIEngine::tavrinAI
           || (engine == AIEngine::claude && keys.claudeKeyKnown() && !keys.hasClaudeKey());
}

QString CommandBarView::engineLabel() const
{
    const auto choices = s_.planners.choices();
    if (choices.isEmpty())
        return engine() == AIEngine::tavrinAI ? QStringLiteral("Tavrin AI isn't available")
                                              : QStringLiteral("AI is off");
    return choices.first().name;
}

QString CommandBarView::previewSummary(const CommandBarModel& model)
{
    if (!model.rows().empty()) {
        const int n = int(model.rows().size());
        QString text = QString::number(n) + QStringLiteral(" window") + (n == 1 ? QString() : QStringLiteral("s"));
        if (model.plan())
            text += QStringLiteral(" · ") + title(model.plan()->layout);
        if (model.capture())
            text += QStringLiteral(" on ") + model.capture()->display.name;
        return text;
    }
    const int n = int(model.clears().size());
    return QString::number(n) + QStringLiteral(" app") + (n == 1 ? QString() : QStringLiteral("s"));
}

bool CommandBarView::isBuiltIn(const QString& name)
{
    // Laptop panels: the names the desktop gives their connectors, or the
    // name the display reports.
    static const QStringList prefixes = {QStringLiteral("eDP"), QStringLiteral("LVDS"), QStringLiteral("DSI")};
    for (const QString& p : prefixes)
        if (name.startsWith(p, Qt::CaseInsensitive))
            return true;
    return name.contains(QStringLiteral("built-in"), Qt::CaseInsensitive);
}

// ---- Pieces ----

QWidget* CommandBarView::inputRow()
{
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("inputRow"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(10);
    layout->addWidget(new Spark(18));
    field_ = new TaskField;
    field_->showRequest(model_->text());
    layout->addWidget(field_, 1);
    spinner_ = new Spinner;
    spinner_->setObjectName(QStringLiteral("spinner"));
    layout->addWidget(spinner_);
    layout->addWidget(new Kbd(QStringLiteral("esc"), false));

    connect(field_, &QLineEdit::textEdited, this, [this](const QString& text) {
        model_->setText(text);
        model_->textChanged();
    });
    connect(field_, &TaskField::returnPressed, this, &CommandBarView::onReturn);
    connect(field_, &TaskField::tabPressed, this, &CommandBarView::tab);
    connect(field_, &TaskField::escapePressed, this, &CommandBarView::escape);
    return row;
}

QWidget* CommandBarView::sectionHeader(const QString& title, const QString& detail, const char* name)
{
    auto* header = new QWidget;
    header->setObjectName(QString::fromLatin1(name));
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(16, 10, 16, 4);
    layout->setSpacing(0);
    QFont titleFont = DesignFont::system(11, QFont::DemiBold);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.22);
    auto* titleLabel = new ElidedLabel(title, TTheme::Colour::muted, titleFont);
    titleLabel->setObjectName(QStringLiteral("headerTitle"));
    layout->addWidget(titleLabel);
    layout->addStretch(1);
    QFont detailFont = DesignFont::system(11, QFont::Medium);
    detailFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.22);
    auto* detailLabel = new ElidedLabel(detail, TTheme::Colour::muted, detailFont);
    detailLabel->setObjectName(QStringLiteral("headerDetail"));
    layout->addWidget(detailLabel);
    return header;
}

QWidget* CommandBarView::footerBar(QHBoxLayout*& row)
{
    auto* footer = new QWidget;
    footer->setObjectName(QStringLiteral("footer"));
    auto* layout = new QVBoxLayout(footer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new Hairline);
    row = new QHBoxLayout;
    row->setContentsMargins(12, 8, 12, 8);
    row->setSpacing(8);
    layout->addLayout(row);
    return footer;
}

QWidget* CommandBarView::noteBox(const QString& label, const QString& text, bool alert)
{
    auto* box = new FillBox;
    box->setObjectName(QStringLiteral("noteBox"));
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(11, 9, 11, 9);
    auto* note = new NoteText(label, text, alert, int(leftWidth()) - 32 - 22);
    note->setObjectName(QStringLiteral("noteText"));
    layout->addWidget(note);
    return inset(box, 16, 0, 16, 12);
}

QWidget* CommandBarView::aiSetupCard()
{
    auto* card = new FillBox;
    card->setObjectName(QStringLiteral("aiSetupCard"));
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(11, 10, 11, 10);
    layout->setSpacing(9);
    layout->addWidget(new NoteText(tr("AI needs a key or a model on this computer."),
                                   tr("Describe tasks in plain English with your own Claude key, or a model server on "
                                      "this computer. Saved workspaces work without either."),
                                   false, int(leftWidth()) - 32 - 22));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    auto* useKey = new TButton(tr("Use my Claude key"), TButtonStyle::Kind::normal);
    useKey->setObjectName(QStringLiteral("useClaudeKeyButton"));
    useKey->setFocusPolicy(Qt::NoFocus);
    connect(useKey, &QAbstractButton::clicked, this, &CommandBarView::useClaudeKey);
    buttons->addWidget(useKey);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return inset(card, 16, 12, 16, 12);
}

QWidget* CommandBarView::savedRow(const SavedWorkspace& workspace)
{
    auto* glyph = new LayoutGlyph(workspace.layout, 1.6, std::max<int>(int(workspace.apps.size()), 1), false);
    glyph->setFixedSize(26, 17);
    auto* row = new RowButton(new RowLabel(glyph, workspace.name, workspace.apps.join(QStringLiteral(", "))));
    row->setObjectName(QStringLiteral("savedRow"));
    connect(row, &QAbstractButton::clicked, this, [this, workspace] {
        if (model_)
            model_->open(workspace);
    });
    return row;
}

QWidget* CommandBarView::exampleRow(const QString& prompt)
{
    auto* row = new RowButton(new RowLabel(new Spark(14), prompt, std::nullopt));
    row->setObjectName(QStringLiteral("exampleRow"));
    connect(row, &QAbstractButton::clicked, this, [this, prompt] {
        if (!model_)
            return;
        model_->setText(prompt);
        model_->submit();
    });
    return row;
}

QWidget* CommandBarView::askingContent()
{
    auto* content = new QWidget;
    QVBoxLayout* layout = stackIn(content);
    if (aiNeedsSetup())
        layout->addWidget(aiSetupCard());
    // A keyring that is locked or missing is not "no key": say so instead.
    if (const QString problem = s_.keychain.claudeKeyProblem(); engine() == AIEngine::claude && !problem.isEmpty()) {
        layout->addSpacing(12);
        layout->addWidget(noteBox(tr("Your Claude key can't be read."), problem, true));
    }
    const auto& saved = model_->saved();
    if (!saved.isEmpty()) {
        layout->addWidget(sectionHeader(tr("Saved workspaces"), QString(), "savedHeader"));
        QVBoxLayout* list = rowList(0, 4);
        for (qsizetype i = 0; i < std::min<qsizetype>(saved.size(), 4); ++i)
            list->addWidget(savedRow(saved[i]));
        layout->addLayout(list);
    }
    if (engine() != AIEngine::off && engine() != AIEngine::tavrinAI) {
        layout->addWidget(sectionHeader(tr("Try"), QString(), "tryHeader"));
        QVBoxLayout* list = rowList(0, 8);
        for (const QString& prompt : examplePrompts())
            list->addWidget(exampleRow(prompt));
        layout->addLayout(list);
    }
    QHBoxLayout* row = nullptr;
    layout->addWidget(footerBar(row));
    planButton_ = new KeyButton(QStringLiteral("↵"), tr("Plan"), KeyButton::Face::primary);
    planButton_->setObjectName(QStringLiteral("planButton"));
    connect(planButton_, &QAbstractButton::clicked, this, [this] {
        if (model_)
            model_->submit();
    });
    row->addWidget(planButton_);
    row->addStretch(1);
    auto* engine = new ElidedLabel(engineLabel(), TTheme::Colour::muted, DesignFont::system(12));
    engine->setObjectName(QStringLiteral("engineLabel"));
    row->addWidget(engine);
    refreshPlanEnabled();
    return content;
}

QWidget* CommandBarView::thinkingContent()
{
    auto* content = new QWidget;
    QVBoxLayout* layout = stackIn(content);
    // Planning with a key in a locked keyring starts with the keyring's
    // unlock prompt: say why it shows.
    const bool unlocking = engine() == AIEngine::claude && s_.keychain.claudeKeyLocked();
    layout->addWidget(sectionHeader(tr("Plan"),
                                    unlocking ? tr("Unlocking your keyring…")
                                              : QStringLiteral("Planning with ") + engineLabel() + QStringLiteral("…"),
                                    "planHeader"));
    QVBoxLayout* list = rowList(0, 8);
    for (int i = 0; i < 3; ++i)
        list->addWidget(new SkeletonRow(i));
    layout->addLayout(list);
    QHBoxLayout* row = nullptr;
    QWidget* footer = footerBar(row);
    layout->addWidget(footer);
    auto* arrange = new KeyButton(QStringLiteral("↵"), tr("Arrange"), KeyButton::Face::primary);
    arrange->setObjectName(QStringLiteral("arrangeButton"));
    arrange->setEnabled(false);
    row->addWidget(arrange);
    row->addStretch(1);
    return content;
}

QWidget* CommandBarView::previewContent()
{
    auto* content = new QWidget;
    QVBoxLayout* layout = stackIn(content);
    planRows_.clear();
    if (!model_->plan() || !model_->capture())
        return content;
    layout->addWidget(sectionHeader(tr("Plan"), previewSummary(*model_), "planHeader"));
    layout->addLayout(planList());
    layout->addWidget(noteBox(tr("Why this plan:"), model_->plan()->why, false));
    layout->addWidget(previewFooter());
    return content;
}

QVBoxLayout* CommandBarView::planList()
{
    QVBoxLayout* list = rowList(2, 8);
    const auto zones = model_->adjustRects();
    const auto& rows = model_->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const UnitRect zone = i < zones.size() ? zones[i] : UnitRect(0, 0, 1, 1);
        auto* row = new PlanRow(rows[i], zone, i == 0, int(i) < model_->revealed());
        row->setObjectName(QStringLiteral("planRow"));
        planRows_.push_back(row);
        list->addWidget(row);
    }
    for (const PlannedClear& clear : model_->clears()) {
        auto* row = new ClearRow(clear);
        row->setObjectName(QStringLiteral("clearRow"));
        list->addWidget(row);
    }
    return list;
}

QWidget* CommandBarView::previewFooter()
{
    QHBoxLayout* row = nullptr;
    QWidget* footer = footerBar(row);
    auto* arrange = new KeyButton(QStringLiteral("↵"), tr("Arrange"), KeyButton::Face::primary);
    arrange->setObjectName(QStringLiteral("arrangeButton"));
    connect(arrange, &QAbstractButton::clicked, this, [this] {
        if (model_)
            model_->arrange(false);
    });
    auto* adjust = new KeyButton(QStringLiteral("⇥"), tr("Adjust on desktop"), KeyButton::Face::normal);
    adjust->setObjectName(QStringLiteral("adjustButton"));
    connect(adjust, &QAbstractButton::clicked, this, [this] {
        if (model_)
            model_->adjust();
    });
    auto* save =
        new KeyButton(QStringList{LinuxWords::commandInWindow(), QStringLiteral("↵")},
                      tr("Save as ") + QStringLiteral("“") + model_->plan()->workspaceName + QStringLiteral("”"),
                      KeyButton::Face::plain);
    save->setObjectName(QStringLiteral("saveButton"));
    connect(save, &QAbstractButton::clicked, this, [this] {
        if (model_)
            model_->arrange(true);
    });
    row->addWidget(arrange);
    row->addWidget(adjust);
    row->addStretch(1);
    // A long name takes a line of its own under the buttons rather than
    // being cut after a word or two.
    const QMargins margins = row->contentsMargins();
    const int room = int(leftWidth()) - margins.left() - margins.right();
    const int needed =
        arrange->sizeHint().width() + adjust->sizeHint().width() + save->sizeHint().width() + 3 * row->spacing();
    if (needed <= room) {
        row->addWidget(save, 0);
    } else {
        auto* own = new QHBoxLayout;
        own->setContentsMargins(margins.left(), 0, margins.right(), margins.bottom());
        own->addStretch(1);
        own->addWidget(save, 0);
        static_cast<QVBoxLayout*>(footer->layout())->addLayout(own);
    }
    return footer;
}

QWidget* CommandBarView::failedContent(const CommandBarPhase& phase)
{
    auto* content = new QWidget;
    QVBoxLayout* layout = stackIn(content);
    // The setup card stands in only for a planner's failure; any other
    // failure has something else to say.
    if (phase.fromPlanner && aiNeedsSetup()) {
        layout->addWidget(aiSetupCard());
    } else {
        layout->addSpacing(12);
        layout->addWidget(noteBox(phase.fromArranging ? tr("Couldn't arrange that.") : tr("Couldn't plan that."),
                                  phase.message, true));
    }
    QHBoxLayout* row = nullptr;
    layout->addWidget(footerBar(row));
    auto* again = new KeyButton(QStringLiteral("↵"), tr("Try again"), KeyButton::Face::primary);
    again->setObjectName(QStringLiteral("tryAgainButton"));
    connect(again, &QAbstractButton::clicked, this, [this] {
        if (model_)
            model_->submit();
    });
    row->addWidget(again);
    if (phase.message.contains(QStringLiteral("Settings")) || engine() == AIEngine::off) {
        auto* settings = new TButton(tr("Open Settings…"), TButtonStyle::Kind::normal);
        settings->setObjectName(QStringLiteral("openSettingsButton"));
        settings->setFocusPolicy(Qt::NoFocus);
        connect(settings, &QAbstractButton::clicked, this, &CommandBarView::openSettings);
        row->addWidget(settings);
    }
    row->addStretch(1);
    return content;
}

// ---- Keeping up with the model ----

void CommandBarView::rebuildContent()
{
    if (!model_)
        return;
    planButton_ = nullptr;
    planRows_.clear();
    if (content_) {
        contentLayout_->removeWidget(content_);
        delete content_;
    }
    const CommandBarPhase& phase = model_->phase();
    switch (phase.kind) {
    case CommandBarPhase::Kind::asking: content_ = askingContent(); break;
    case CommandBarPhase::Kind::thinking: content_ = thinkingContent(); break;
    case CommandBarPhase::Kind::preview:
    case CommandBarPhase::Kind::adjusting:
    case CommandBarPhase::Kind::arranging: content_ = previewContent(); break;
    case CommandBarPhase::Kind::failed: content_ = failedContent(phase); break;
    }
    content_->setObjectName(QStringLiteral("phaseContent"));
    contentLayout_->addWidget(content_);
    // What was built before it joined the view reads the theme again.
    Environment::notify(content_);
    shownPhase_ = phase;
    // The glow's band shows the card's edge as it now is.
    glow_->contentChanged();
}

void CommandBarView::phaseChanged()
{
    const CommandBarPhase& phase = model_->phase();
    // The three plan phases share one content; it stays.
    if (!(phase.showsPlan() && shownPhase_.showsPlan()))
        rebuildContent();
    shownPhase_ = phase;
    refreshBusy();
    refreshFirstPreview();
    focusField();
}

void CommandBarView::refreshBusy()
{
    const bool busy = model_ && model_->phase().isBusy();
    spinner_->setVisible(busy);
    glow_->setIntensity(busy ? AIGlow::Intensity::working : AIGlow::Intensity::idle);
}

void CommandBarView::refreshPlanEnabled()
{
    if (!planButton_ || !model_)
        return;
    planButton_->setEnabled(!trimmedOfSpacesIsEmpty(model_->text()) && engine() != AIEngine::off);
}

void CommandBarView::revealedChanged()
{
    for (std::size_t i = 0; i < planRows_.size(); ++i)
        planRows_[i]->setRevealed(int(i) < model_->revealed(), true);
    refreshFirstPreview();
}

void CommandBarView::rebuildDisplays()
{
    if (!model_)
        return;
    while (QLayoutItem* item = columnLayout_->takeAt(0)) {
        if (item->widget())
            delete item->widget();
        else if (item->layout())
            delete item->layout();
        delete item;
    }
    previews_.clear();
    const double inner = columnWidth() - 32;
    bool first = true;
    for (const Display& d : model_->displays()) {
        auto* caption = new QWidget;
        caption->setObjectName(QStringLiteral("displayCaption"));
        auto* captionLayout = new QHBoxLayout(caption);
        captionLayout->setContentsMargins(0, 0, 0, 0);
        captionLayout->setSpacing(4);
        auto* name = new ElidedLabel(d.name, TTheme::Colour::muted, DesignFont::system(11));
        name->setObjectName(QStringLiteral("displayName"));
        captionLayout->addWidget(name, 1);
        auto* size = new ElidedLabel(isBuiltIn(d.name) ? QStringLiteral("built-in")
                                                       : QStringLiteral("%1 × %2").arg(d.pixelWidth).arg(d.pixelHeight),
                                     TTheme::Colour::muted, DesignFont::system(11));
        size->setObjectName(QStringLiteral("displaySize"));
        size->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        captionLayout->addWidget(size);
        columnLayout_->addWidget(caption);

        QList<DisplayPreview::Item> items;
        const auto it = model_->snapshots().constFind(d.id);
        if (it != model_->snapshots().constEnd())
            for (const WindowSnapshot& s : *it)
                items.append({s.id.toString(QUuid::WithoutBraces), s.appName, s.unit});
        auto* preview = new DisplayPreview(aspectOf(d.area), items, 1.5, 6);
        preview->setObjectName(QStringLiteral("displayPreview"));
        const double width = first ? inner : inner * kOtherPreviewFraction;
        preview->setFixedSize(int(std::round(width)), preview->heightForWidth(int(std::round(width))));
        columnLayout_->addWidget(preview, 0, first ? Qt::Alignment() : Qt::AlignLeft);
        previews_.append(preview);
        first = false;
    }
    columnLayout_->addStretch(1);
    refreshFirstPreview();
    glow_->contentChanged();
}

QList<DisplayPreview::Item> CommandBarView::firstPreviewItems() const
{
    QList<DisplayPreview::Item> items;
    if (!model_ || model_->displays().empty())
        return items;
    if (model_->phase().showsPlan()) {
        const auto zones = model_->adjustRects();
        const auto& rows = model_->rows();
        const std::size_t pairs = std::min(zones.size(), rows.size());
        for (std::size_t i = 0; i < pairs && int(i) < model_->revealed(); ++i)
            items.append({rows[i].id.toString(QUuid::WithoutBraces), rows[i].app, zones[i]});
        return items;
    }
    const auto it = model_->snapshots().constFind(model_->displays().front().id);
    if (it != model_->snapshots().constEnd())
        for (const WindowSnapshot& s : *it)
            items.append({s.id.toString(QUuid::WithoutBraces), s.appName, s.unit});
    return items;
}

void CommandBarView::refreshFirstPreview()
{
    if (previews_.isEmpty())
        return;
    const auto items = firstPreviewItems();
    if (items != previews_.front()->items())
        previews_.front()->setItems(items, true);
}

// ---- Keys and focus ----

void CommandBarView::onReturn(Qt::KeyboardModifiers modifiers, bool autoRepeat)
{
    if (!model_)
        return;
    // Holding Return must never arrange a plan the user has not seen yet.
    if (autoRepeat && model_->phase().is(CommandBarPhase::Kind::preview))
        return;
    // Command-Return: the Control key here, or the Super key.
    const bool command = modifiers & (Qt::ControlModifier | Qt::MetaModifier);
    if (command && model_->phase().is(CommandBarPhase::Kind::preview))
        model_->arrange(true);
    else
        model_->submit();
}

void CommandBarView::tab()
{
    if (model_)
        model_->adjust();
}

void CommandBarView::escape()
{
    if (!model_)
        return;
    model_->cancelTask();
    model_->onClose();
}

void CommandBarView::useClaudeKey()
{
    s_.defaults.setValue(QStringLiteral("aiEngine"), QStringLiteral("claude"));
    openSettings();
}

void CommandBarView::openSettings()
{
    if (model_) {
        model_->cancelTask();
        model_->onClose();
    }
    emit settingsRequested();
}

void CommandBarView::focusField() { field_->setFocus(Qt::OtherFocusReason); }

void CommandBarView::refocus()
{
    field_->clearFocus();
    QPointer self(this);
    s_.clock.schedule(0, [self] {
        if (self)
            self->focusField();
    });
}

void CommandBarView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    focusField();
}

} // namespace tavrin
