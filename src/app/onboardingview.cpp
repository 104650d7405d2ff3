#include "app/onboardingview.h"

#include "app/appstate.h"
#include "app/steprow.h"
#include "platform/defaults.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tavrin {

namespace {
QPointer<OnboardingView> g_window;

QLabel* label(const QString& text, qreal points, QFont::Weight weight, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    QFont f = l->font();
    f.setPointSizeF(points);
    f.setWeight(weight);
    l->setFont(f);
    return l;
}
} // namespace

OnboardingView::OnboardingView(AppState& state, std::function<void()> close, QWidget* parent)
    : QWidget(parent), content_(state), close_(std::move(close))
{
    setFixedWidth(kWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QVBoxLayout;
    header->setContentsMargins(26, 34, 26, 16);
    header->setSpacing(8);
    auto* heading = label(tr("Let Tavrin arrange your windows"), 22, QFont::Bold, this);
    header->addSpacing(6);
    header->addWidget(heading);
    header->addWidget(label(tr("Three quick steps. You can change any of these later in Settings."), 13.5,
                            QFont::Normal, this));
    column->addLayout(header);

    auto* steps = new QVBoxLayout;
    steps->setContentsMargins(14, 0, 14, 8);
    steps->setSpacing(0);
    for (const OnboardingContent::Step& step : content_.steps()) {
        auto* row = new StepRow(step, this);
        connect(row, &StepRow::actionRequested, &content_, &OnboardingContent::perform);
        steps->addWidget(row);
        rows_ << row;
    }
    column->addLayout(steps);

    auto* footer = new QWidget(this);
    footer->setAutoFillBackground(true);
    footer->setBackgroundRole(QPalette::AlternateBase);
    auto* footerRow = new QHBoxLayout(footer);
    footerRow->setContentsMargins(22, 14, 22, 14);
    footerRow->addWidget(label(tr("Tavrin never asks for Screen Recording."), 12, QFont::Normal, footer));
    footerRow->addStretch();
    footerButton_ = new QPushButton(footer);
    footerButton_->setDefault(true); // Return
    footerRow->addWidget(footerButton_);
    connect(footerButton_, &QPushButton::clicked, this, [this] {
        if (close_)
            close_();
    });
    column->addWidget(footer);

    connect(&content_, &OnboardingContent::changed, this, &OnboardingView::refresh);
    refresh();
}

void OnboardingView::refresh()
{
    const QList<OnboardingContent::Step> steps = content_.steps();
    for (qsizetype i = 0; i < rows_.size() && i < steps.size(); ++i)
        rows_[i]->setStep(steps[i]);
    const OnboardingContent::Footer footer = content_.footer();
    footerButton_->setText(footer.buttonTitle);
    footerButton_->setProperty("primary", footer.buttonKind == OnboardingContent::ButtonKind::primary);
}

QWidget* OnboardingView::window()
{
    return g_window;
}

void OnboardingView::showWindow()
{
    if (!g_window) {
        g_window = new OnboardingView(AppState::shared(), &OnboardingView::finish);
        g_window->setWindowTitle(tr("Welcome to Tavrin"));
        g_window->setWindowFlag(Qt::WindowMinimizeButtonHint, false);
        g_window->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
        g_window->adjustSize();
        g_window->setFixedSize(g_window->sizeHint());
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = g_window->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            g_window->move(frame.topLeft());
        }
    }
    g_window->show();
    // Brought forward over other applications' windows (a screen-less
    // platform has no stacking to change).
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        g_window->raise();
        g_window->activateWindow();
    }
}

void OnboardingView::finish()
{
    if (Defaults* defaults = Platform::current().defaults)
        defaults->setValue(kDoneKey, true);
    if (g_window)
        g_window->close();
}

} // namespace tavrin
