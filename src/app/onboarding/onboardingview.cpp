#include "app/onboarding/onboardingview.h"

#include "app/appstate.h"
#include "app/onboarding/steprow.h"
#include "design/centredwindow.h"
#include "design/designfont.h"
#include "design/designwidget.h"
#include "design/environment.h"
#include "design/hoverbutton.h"
#include "design/tavrinmark.h"
#include "design/tbutton.h"
#include "design/themed.h"
#include "design/themedlabel.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

namespace tavrin {

namespace {

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

// The window's own close control, where the window manager's title bar
// would have had one: a small disc with a cross that darkens under the
// pointer.
class CloseDot : public HoverButton {
public:
    explicit CloseDot(QWidget* parent) : HoverButton(parent)
    {
        setFixedSize(14, 14);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
        setAccessibleName(OnboardingView::tr("Close"));
        setToolTip(OnboardingView::tr("Close"));
        new EnvironmentWatcher(this);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const TTheme t = Environment::theme(this);
        p.setPen(Qt::NoPen);
        p.setBrush(t.fillHover);
        p.drawEllipse(QRectF(rect()));
        p.setPen(QPen(hovered() ? t.ink : t.muted, 1.3, Qt::SolidLine, Qt::RoundCap));
        const QRectF cross = QRectF(rect()).adjusted(4.5, 4.5, -4.5, -4.5);
        p.drawLine(cross.topLeft(), cross.bottomRight());
        p.drawLine(cross.topRight(), cross.bottomLeft());
    }
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
    column->addLayout(titleBar(body));
    column->addLayout(heading(body));

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
    column->addWidget(footer(body));

    connect(&content_, &OnboardingContent::changed, this, &OnboardingView::refresh);
    refresh();
}

QHBoxLayout* OnboardingView::titleBar(QWidget* body)
{
    // The window has no title bar from the window manager: its own close
    // control takes the top of the header's space (12 + 14 + 8 = 34).
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(12, 12, 12, 8);
    auto* closeButton = new CloseDot(body);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(closeButton, &QAbstractButton::clicked, this, &QWidget::close);
    bar->addWidget(closeButton);
    bar->addStretch();
    return bar;
}

QVBoxLayout* OnboardingView::heading(QWidget* body)
{
    auto* header = new QVBoxLayout;
    header->setContentsMargins(26, 0, 26, 16);
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
    return header;
}

QWidget* OnboardingView::footer(QWidget* body)
{
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
    return footer;
}

void OnboardingView::keyPressEvent(QKeyEvent* event)
{
    // The footer button is the default action.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        footerButton_->click();
        return;
    }
    // Like the close control, Escape only closes: the first run is not over.
    if (event->key() == Qt::Key_Escape && isWindow()) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// A press that no control took is on the background: it moves the window.
// The window manager moves it where it can; elsewhere (no support for
// being moved on request) the window follows the pointer itself.
void OnboardingView::mousePressEvent(QMouseEvent* event)
{
    dragFrom_.reset();
    if (event->button() != Qt::LeftButton || !isWindow()) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    dragFrom_ = event->globalPosition().toPoint() - pos();
}

void OnboardingView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragFrom_ || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    move(event->globalPosition().toPoint() - *dragFrom_);
    event->accept();
}

void OnboardingView::mouseReleaseEvent(QMouseEvent* event)
{
    dragFrom_.reset();
    QWidget::mouseReleaseEvent(event);
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

std::unique_ptr<OnboardingView> OnboardingView::makeWindow(AppState& state, std::function<void()> close)
{
    auto window = std::make_unique<OnboardingView>(state, std::move(close));
    window->setWindowTitle(tr("Welcome to Tavrin"));
    // A normal window (it takes focus and is listed among the desktop's
    // windows) that draws its own title area: the window manager is asked
    // for no decorations.
    window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window->refresh();
    // At its final height before it shows: a later resize would reach the
    // window manager with a stale position.
    window->ensurePolished();
    window->fitHeight();
    CentredWindow::place(*window);
    return window;
}

void OnboardingView::bringForward(OnboardingView& window)
{
    window.show();
    // Brought forward over other applications' windows (a screen-less
    // platform has no stacking to change).
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        window.raise();
        window.activateWindow();
    }
}

} // namespace tavrin
