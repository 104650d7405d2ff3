#include "app/steprow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrin {

namespace {
constexpr int kDisc = 26;
constexpr int kDiscColumn = 30;

QFont sized(const QWidget* w, qreal points, QFont::Weight weight = QFont::Normal)
{
    QFont f = w->font();
    f.setPointSizeF(points);
    f.setWeight(weight);
    return f;
}
} // namespace

StepRow::StepRow(const OnboardingContent::Step& step, QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12 + kDiscColumn + 12, 12, 12, 12);
    row->setSpacing(12);

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(8);
    title_ = new QLabel(this);
    title_->setTextFormat(Qt::PlainText);
    title_->setFont(sized(this, 13.5, QFont::DemiBold));
    badge_ = new QLabel(this);
    badge_->setTextFormat(Qt::PlainText);
    badge_->setFont(sized(this, 10.5, QFont::DemiBold));
    badge_->setContentsMargins(7, 1, 7, 1);
    titleLine->addWidget(title_);
    titleLine->addWidget(badge_);
    titleLine->addStretch();
    detail_ = new QLabel(this);
    detail_->setTextFormat(Qt::PlainText);
    detail_->setWordWrap(true);
    detail_->setFont(sized(this, 12.5));
    text->addLayout(titleLine);
    text->addWidget(detail_);
    row->addLayout(text, 1);

    done_ = new QLabel(this);
    done_->setTextFormat(Qt::PlainText);
    done_->setFont(sized(this, 12, QFont::DemiBold));
    button_ = new QPushButton(this);
    row->addWidget(done_);
    row->addWidget(button_);
    connect(button_, &QPushButton::clicked, this, [this] { emit actionRequested(step_.action); });
    setStep(step);
}

void StepRow::setStep(const OnboardingContent::Step& step)
{
    step_ = step;
    title_->setText(step.title);
    badge_->setText(step.badge.value_or(QString()));
    badge_->setVisible(step.badge.has_value());
    detail_->setText(step.detail);
    done_->setText(step.doneText);
    done_->setVisible(step.done);
    button_->setText(step.buttonTitle);
    button_->setDefault(false);
    button_->setAutoDefault(false);
    button_->setProperty("primary", step.buttonKind == OnboardingContent::ButtonKind::primary);
    button_->setVisible(!step.done);
    update();
}

void StepRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    if (step_.current) {
        QPainterPath back;
        back.addRoundedRect(QRectF(rect()), 12, 12);
        p.fillPath(back, pal.color(QPalette::AlternateBase));
    }
    const QRectF disc(12 + (kDiscColumn - kDisc) / 2.0, (height() - kDisc) / 2.0, kDisc, kDisc);
    const QColor good(52, 199, 89);
    p.setPen(Qt::NoPen);
    p.setBrush(step_.done ? good : step_.current ? pal.color(QPalette::Highlight) : pal.color(QPalette::Midlight));
    p.drawEllipse(disc);
    p.setPen(step_.done || step_.current ? QColor(Qt::white) : pal.color(QPalette::PlaceholderText));
    QFont f = sized(this, 12, QFont::Bold);
    p.setFont(f);
    p.drawText(disc, Qt::AlignCenter, step_.done ? QStringLiteral("✓") : QString::number(step_.number));
}

} // namespace tavrin
