#include "commandbar/arrangedtoastcontroller.h"

#include "design/stickywindow.h"
#include "design/windowtranslucency.h"

#include "commandbar/commandbarrunner.h"
#include "commandbar/toastview.h"
#include "design/environment.h"
#include "design/themed.h"
#include "platform/clock.h"
#include "platform/timer.h"

#include <QGraphicsOpacityEffect>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace tavrin {

ArrangedToastController::ArrangedToastController(CommandBarRunner& runner, Clock& clock)
    : runner_(runner),
      clock_(clock),
      placement_(&PanelRoom::of)
{}

ArrangedToastController::~ArrangedToastController()
{
    hideTask_.cancel();
    delete fade_.data();
    delete panel_.data();
}

QString ArrangedToastController::message(const WorkspaceRunner::Outcome& outcome, const std::optional<QString>& saved)
{
    QStringList parts;
    if (outcome.arranged > 0)
        parts << QStringLiteral("Arranged %1 window%2")
                     .arg(outcome.arranged)
                     .arg(outcome.arranged == 1 ? QString() : QStringLiteral("s"));
    if (!outcome.quit.empty()) {
        QStringList names;
        for (const auto& [name, location] : outcome.quit)
            names << name;
        parts << QStringLiteral("quit ") + names.join(QStringLiteral(", "));
    }
    QStringList hidden;
    for (const RunningApp& app : outcome.hidden) {
        if (app.localizedName.isEmpty())
            continue;
        const auto title = outcome.hiddenTitles.find(app.pid);
        hidden << (title == outcome.hiddenTitles.end()
                       ? app.localizedName
                       : app.localizedName + QStringLiteral(" “") + title->second + QStringLiteral("”"));
    }
    if (!hidden.isEmpty())
        parts << QStringLiteral("hid ") + hidden.join(QStringLiteral(", "));

    QString text = parts.isEmpty() ? QStringLiteral("Nothing to do") : parts.join(QStringLiteral(" · "));
    text[0] = text[0].toUpper();
    if (saved)
        text += QStringLiteral(" · saved as “") + *saved + QStringLiteral("”");
    if (outcome.problem)
        text += QStringLiteral(" · ") + *outcome.problem;
    return text;
}

void ArrangedToastController::makePanel()
{
    auto* panel = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                           | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
    panel->setObjectName(QStringLiteral("arrangedToastPanel"));
    panel->setAttribute(Qt::WA_TranslucentBackground);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    WindowTranslucency::install(panel);
    StickyWindow::install(panel);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    panel_ = panel;
}

void ArrangedToastController::show(const WorkspaceRunner::Outcome& outcome, const std::optional<QString>& saved,
                                   const Display& display)
{
    hideTask_.cancel();
    const QString text = message(outcome, saved);

    if (!panel_)
        makePanel();
    // The undo keeps its own copy of the outcome. The view lives in the
    // panel, which goes with this controller.
    auto* view = new ToastView(text, [this, outcome] {
        runner_.undo(outcome);
        hide();
    });
    auto* themed = new Themed(view);

    QLayout* layout = panel_->layout();
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    layout->addWidget(themed);

    const PanelRoom place = placement_(display.area);
    const QSize size = view->sizeThatFits(QSize(int(std::max(place.room.width - 40, 0.0)), 200));
    const double x = place.keptAcross(place.over.midX() - size.width() / 2.0, size.width());
    const double y = place.over.maxY() - kBottomInset + ToastView::kMargin - size.height();
    panel_->setGeometry(qRound(x), qRound(y), size.width(), size.height());
    panel_->show();
    panel_->raise();
    // The fade is drawn by the view (window opacity needs a compositor);
    // a window cut to its shape shows at once, as a fade there would only
    // darken it.
    if (Environment::translucentWindow(panel_)) {
        opacity_ = new QGraphicsOpacityEffect(themed);
        opacity_->setOpacity(0);
        themed->setGraphicsEffect(opacity_);
        fadeIn();
    }

    QPointer<QWidget> panel = panel_;
    hideTask_.start([this, panel](CancelToken token) -> QCoro::Task<> {
        co_await clock_.sleep(kVisibleSeconds, token);
        if (!panel || token.isCancelled())
            co_return;
        hide();
    });
}

void ArrangedToastController::fadeIn()
{
    if (!fade_) {
        fade_ = new Timer(clock_);
        QObject::connect(fade_, &Timer::timeout, fade_, [this] {
            const double now = clock_.monotonic();
            const double progress = std::clamp((now - fadeStart_) / kFadeInSeconds, 0.0, 1.0);
            if (opacity_)
                opacity_->setOpacity(progress);
            if (progress >= 1.0 || !opacity_)
                fade_->stop();
        });
    }
    fadeStart_ = clock_.monotonic();
    fade_->startRepeating(1.0 / 60);
}

void ArrangedToastController::hide()
{
    hideTask_.cancel();
    if (fade_)
        fade_->stop();
    if (panel_)
        panel_->hide();
}

qreal ArrangedToastController::opacity() const
{
    if (opacity_)
        return opacity_->opacity();
    return isShowing() ? 1 : 0;
}

bool ArrangedToastController::isShowing() const { return panel_ && panel_->isVisible(); }

} // namespace tavrin
