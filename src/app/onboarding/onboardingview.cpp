#include "app/onboarding/onboardingview.h"

#include "app/appstate.h"
#include "app/onboarding/steprow.h"
#include "design/centredwindow.h"
#include "design/designfont.h"
#include "design/designwidget.h"
#include "design/tavrinmark.h"
#include "design/tbutton.h"
#include "design/themed.h"
#include "design/themedlabel.h"
#include "platform/defaults.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace tavrin {

namespace {
QPointer<OnboardingView> g_window;

using Colour = TTheme::Colour;

// A background of one theme colour, with a hairline of `line` along the top
// when asked for.
class Backdrop : public DesignWidget {
public:
    Backdrop(Colour colour, bool topLine, QWidget* parent = nullptr)
        : DesignWidget(parent),
          colour_(colour),
          topLine_(topLine)
    {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const TTheme theme = t();
        p.fillRect(rect(), theme.colour(colour_));
        if (topLine_)
            p.fillRect(QRectF(0, 0, width(), 0.5), theme.line);
    }

private:
    Colour colour_;
    bool topLine_;
};

TButtonStyle::Kind kindOf(OnboardingContent::ButtonKind kind)
{
    return kind == OnboardingContent::ButtonKind::primary ? TButtonStyle::Kind::primary : TButtonStyle::Kind::normal;
}
} // namespace

OnboardingView::OnboardingView(AppState& state, std::function<void()> close, QWidget* parent)
    : QWidget(parent),
      content_(state),
      close_(std::move(close))
{
    setFixedWidth(kWidth);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* body = new Backdrop(Colour::winBG, false);
    outer->addWidget(new Themed(body, this));

    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QVBoxLayout;
    header->setContentsMargins(26, 34, 26, 16);
    header->setSpacing(8);
    header->addWidget(new TavrinMark(40, body), 0, Qt::AlignLeft);
    header->addSpacing(6);
    QFont headingFont = DesignFont::system(22, QFont::Bold);
    headingFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.44);
    header->addWidget(new ThemedLabel(tr("Let Tavrin arrange your windows"), Colour::ink, headingFont, body));
    auto* lead = new ThemedLabel(tr("Three quick steps. You can change any of these later in Settings."), Colour::muted,
                                 DesignFont::system(13.5), body);
    lead->setWordWrap(true);
    header->addWidget(lead);
    column->addLayout(header);

    auto* steps = new QVBoxLayout;
    steps->setContentsMargins(14, 0, 14, 8);
    steps->setSpacing(0);
    for (const OnboardingContent::Step& step : content_.steps()) {
        auto* row = new StepRow(step, body);
        connect(row, &StepRow::actionRequested, &content_, &OnboardingContent::perform);
        steps->addWidget(row);
        rows_ << row;
    }
    column->addLayout(steps);

    auto* footer = new Backdrop(Colour::fill, true, body);
    auto* footerRow = new QHBoxLayout(footer);
    footerRow->setContentsMargins(22, 14, 22, 14);
    footerRow->addWidget(
        new ThemedLabel(tr("Tavrin never records your screen."), Colour::muted, DesignFont::system(12), footer));
    footerRow->addStretch();
    footerButton_ = new TButton(QString(), TButtonStyle::Kind::normal, footer);
    footerRow->addWidget(footerButton_);
    connect(footerButton_, &QAbstractButton::clicked, this, [this] {
        if (close_)
            close_();
    });
    column->addWidget(footer);

    connect(&content_, &OnboardingContent::changed, this, &OnboardingView::refresh);
    refresh();
}

void OnboardingView::keyPressEvent(QKeyEvent* event)
{
    // The footer button is the default action.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        footerButton_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OnboardingView::refresh()
{
    const QList<OnboardingContent::Step> steps = content_.steps();
    for (qsizetype i = 0; i < rows_.size() && i < steps.size(); ++i)
        rows_[i]->setStep(steps[i]);
    const OnboardingContent::Footer footer = content_.footer();
    footerButton_->setText(footer.buttonTitle);
    footerButton_->setKind(kindOf(footer.buttonKind));
    footerButton_->updateGeometry();
    // The window fits its content once the new labels are laid out: no
    // detail is cut, whatever the labels.
    QMetaObject::invokeMethod(this, &OnboardingView::fitHeight, Qt::QueuedConnection);
}

void OnboardingView::fitHeight()
{
    if (!isWindow())
        return;
    const int height = hasHeightForWidth() ? heightForWidth(kWidth) : sizeHint().height();
    if (height > 0)
        setFixedHeight(height);
}

QWidget* OnboardingView::window() { return g_window; }

void OnboardingView::showWindow(AppState& state)
{
    if (!g_window) {
        g_window = new OnboardingView(state, &OnboardingView::finish);
        g_window->setWindowTitle(tr("Welcome to Tavrin"));
        g_window->setWindowFlag(Qt::WindowMinimizeButtonHint, false);
        g_window->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
        g_window->refresh();
        // At its final height before it shows: a later resize would reach
        // the window manager with a stale position.
        g_window->ensurePolished();
        g_window->fitHeight();
        CentredWindow::place(*g_window);
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
