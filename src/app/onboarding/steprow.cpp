#include "app/onboarding/steprow.h"

#include "design/designfont.h"
#include "design/squircle.h"
#include "design/tbutton.h"
#include "design/themedlabel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace tavrin {

namespace {
constexpr int kDisc = 26;
constexpr int kDiscColumn = 30;

// The badge: small muted text on a capsule of `fillHover`.
class Badge : public ThemedLabel {
public:
    explicit Badge(QWidget* parent)
        : ThemedLabel(QString(), TTheme::Colour::muted, DesignFont::system(10.5, QFont::DemiBold), parent)
    {
        setContentsMargins(7, 1, 7, 1);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(Squircle::path(QRectF(rect()), height() / 2.0), Environment::theme(this).fillHover);
        p.end();
        ThemedLabel::paintEvent(event);
    }
};

TButtonStyle::Kind buttonKind(OnboardingContent::ButtonKind kind)
{
    return kind == OnboardingContent::ButtonKind::primary ? TButtonStyle::Kind::primary : TButtonStyle::Kind::normal;
}
} // namespace

StepRow::StepRow(const OnboardingContent::Step& step, QWidget* parent) : DesignWidget(parent)
{
    using Colour = TTheme::Colour;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12 + kDiscColumn + 12, 12, 12, 12);
    row->setSpacing(12);

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(8);
    title_ = new ThemedLabel(QString(), Colour::ink, DesignFont::system(13.5, QFont::DemiBold), this);
    badge_ = new Badge(this);
    titleLine->addWidget(title_);
    titleLine->addWidget(badge_);
    titleLine->addStretch();
    detail_ = new ThemedLabel(QString(), Colour::muted, DesignFont::system(12.5), this);
    detail_->setWordWrap(true);
    // The row's width decides where the detail wraps, never the other way.
    detail_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    detail_->setMinimumWidth(0);
    note_ = new ThemedLabel(QString(), Colour::ink, DesignFont::system(12), this);
    note_->setObjectName(QStringLiteral("stepNote"));
    note_->setWordWrap(true);
    note_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    note_->setMinimumWidth(0);
    note_->setContentsMargins(0, 4, 0, 0);
    text->addLayout(titleLine);
    text->addWidget(detail_);
    text->addWidget(note_);
    row->addLayout(text, 1);

    done_ = new ThemedLabel(QString(), Colour::good, DesignFont::system(12, QFont::DemiBold), this);
    done_->setObjectName(QStringLiteral("stepDone"));
    button_ = new TButton(QString(), TButtonStyle::Kind::normal, this);
    button_->setObjectName(QStringLiteral("stepButton"));
    row->addWidget(done_);
    row->addWidget(button_);
    connect(button_, &QAbstractButton::clicked, this, [this] { emit actionRequested(step_.action); });
    setStep(step);
}

void StepRow::setStep(const OnboardingContent::Step& step)
{
    step_ = step;
    title_->setText(step.title);
    badge_->setText(step.badge.value_or(QString()));
    badge_->setVisible(step.badge.has_value());
    detail_->setText(step.detail);
    note_->setText(step.note);
    note_->setVisible(!step.note.isEmpty());
    done_->setText(step.doneText);
    done_->setVisible(step.done);
    button_->setText(step.buttonTitle);
    button_->setKind(buttonKind(step.buttonKind));
    button_->setVisible(!step.done);
    update();
}

void StepRow::paintEvent(QPaintEvent*)
{
    const TTheme theme = t();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (step_.current)
        p.fillPath(Squircle::path(QRectF(rect()), 12), theme.fill);
    const QRectF disc(12 + (kDiscColumn - kDisc) / 2.0, (height() - kDisc) / 2.0, kDisc, kDisc);
    p.setPen(Qt::NoPen);
    p.setBrush(step_.done ? theme.good : step_.current ? theme.accent : theme.fillHover);
    p.drawEllipse(disc);
    p.setPen(step_.done || step_.current ? QColor(Qt::white) : theme.muted);
    QFont f = DesignFont::system(12, QFont::Bold);
    p.setFont(f);
    p.drawText(disc, Qt::AlignCenter, step_.done ? QStringLiteral("✓") : QString::number(step_.number));
}

} // namespace tavrin
