#include "settings/settingsview.h"

#include "design/designwidget.h"
#include "design/environment.h"
#include "design/tcard.h"
#include "design/themed.h"
#include "design/thinscrollbar.h"
#include "integrations/sessions.h"
#include "modes/privacypane.h"
#include "platform/linuxwords.h"
#include "settings/aipane.h"
#include "settings/generalpane.h"
#include "settings/integrationspane.h"
#include "settings/layoutspane.h"
#include "settings/learningbinding.h"
#include "settings/learningpane.h"
#include "settings/modespane.h"
#include "settings/panepage.h"
#include "settings/settingsrouter.h"
#include "settings/settingssidebar.h"
#include "settings/shortcutspane.h"
#include "settings/workspacespane.h"
#include "snapping/learning/habits.h"
#include "snapping/learning/learning.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QPainter>
#include <QScrollArea>
#include <QShortcut>

namespace tavrin {

namespace {
// The window's background.
class Body : public DesignWidget {
public:
    using DesignWidget::DesignWidget;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), t().winBG); }
};

// Learning and habits, read again after an import replaced the settings
// they keep.
class ImportedLearnings : public LearnedState {
public:
    ImportedLearnings(Learning& learning, Habits& habits) : learning_(learning), habits_(habits) {}

    void readAgain() override
    {
        learning_.reload();
        habits_.raiseTick();
    }

private:
    Learning& learning_;
    Habits& habits_;
};

// The learning pane, whose last card moves the portable settings to another
// computer. Each choice of a file runs modally; the pane may be gone after,
// while `learning` and `habits` outlive it.
LearningPane* learningPane(Learning& learning, Habits& habits)
{
    auto* pane = new LearningPane;
    pane->setMovingAvailable(true);
    QObject::connect(pane, &LearningPane::exportRequested, pane, [pane] {
        const QPointer<LearningPane> alive(pane);
        pane->clearMoveResult();
        QString savedTo;
        const QString problem = Sessions::exportLearnings(&savedTo);
        if (alive && !problem.isEmpty())
            alive->showExportFailed(problem);
        else if (alive && !savedTo.isEmpty())
            alive->showExported(savedTo);
    });
    QObject::connect(pane, &LearningPane::importRequested, pane, [pane, learning = &learning, habits = &habits] {
        const QPointer<LearningPane> alive(pane);
        pane->clearMoveResult();
        ImportedLearnings learned(*learning, *habits);
        bool imported = false;
        const bool fine = Sessions::importLearnings(learned, &imported);
        if (alive && !fine)
            alive->showImportFailed();
        else if (alive && imported)
            alive->showImported();
    });
    return pane;
}
} // namespace

SettingsView::SettingsView(const SettingsServices& services, QWidget* parent) : QWidget(parent), services_(services)
{
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(tr("Tavrin Settings"));
    setMinimumSize(kMinimumSize);
    resize(kSize);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* body = new Body;
    outer->addWidget(new Themed(body, this));

    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    sidebar_ = new SettingsSidebar(services_.router, body);
    row->addWidget(sidebar_);
    scroll_ = new QScrollArea(body);
    scroll_->setObjectName(QStringLiteral("settingsScroll"));
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The body's colour shows through.
    scroll_->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    ThinScrollBar::apply(scroll_->verticalScrollBar());
    row->addWidget(scroll_, 1);

    connect(&services_.router, &SettingsRouter::paneChanged, this, &SettingsView::reload);
    connect(new QShortcut(QKeySequence::Close, this), &QShortcut::activated, this, &QWidget::close);
    reload();
}

void SettingsView::reload()
{
    shown_ = services_.router.pane();
    QWidget* pane = makePane(shown_, services_);
    pane->setObjectName(QStringLiteral("pane.") + settingsPaneName(shown_));
    // A pane of wrapping text is as tall as its text is at the width it is
    // given. Its minimum height is that of the narrowest width, which the
    // scroll area would otherwise keep at any width, leaving blank space to
    // scroll to below the content.
    if (pane->hasHeightForWidth())
        pane->setSizePolicy(pane->sizePolicy().horizontalPolicy(), QSizePolicy::Ignored);
    // The old pane goes with setWidget; a widget inside it may be the one
    // whose click brought us here, so it is deleted from the main loop.
    if (QWidget* old = scroll_->takeWidget())
        old->deleteLater();
    scroll_->setWidget(pane);
    pane_ = pane;
}

QWidget* SettingsView::makePane(SettingsPane pane, const SettingsServices& s)
{
    switch (pane) {
    case SettingsPane::general: return new GeneralPane(s);
    case SettingsPane::layouts: return new LayoutsPane(s.windows, s.autoArrange);
    case SettingsPane::workspaces: return new WorkspacesPane;
    case SettingsPane::modes: return new ModesPane(&s.state, &s.focus);
    case SettingsPane::learning: {
        auto* learning = learningPane(s.learning, s.habits);
        new LearningBinding(*learning, s.learning, s.habits);
        return learning;
    }
    case SettingsPane::shortcuts: return new ShortcutsPane(s.shortcuts);
    case SettingsPane::integrations: return new IntegrationsPane;
    case SettingsPane::privacy: {
        const QString blurs = tr("Apps Share-safe blurs while you share your screen.");
        auto* page = new PanePage(tr("Privacy"), Environment::blurAvailable() ? blurs : LinuxWords::of(blurs));
        page->addBlock(new PrivacyPane(s.shareSafe, s.shortcuts));
        return page;
    }
    case SettingsPane::ai: return new AIPane(s.keychain, s.log, s.planners);
    }
    return new QWidget;
}

} // namespace tavrin
