#include "focus/views/flowrow.h"

#include "design/designfont.h"
#include "design/themedlabel.h"
#include "focus/views/token.h"
#include "focus/views/wraplayout.h"

#include <QHBoxLayout>
#include <algorithm>
#include <cmath>

namespace tavrin {

FlowRow::FlowRow(const QString& label, QWidget* parent) : QWidget(parent)
{
    setFont(DesignFont::system(kFontSize));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    label_ = new ThemedLabel(label, TTheme::Colour::muted, DesignFont::system(kFontSize, QFont::DemiBold));
    setLabelWidth(labelWidth());
    // A chip's text sits below its top padding: the label starts as low, so
    // that both share a baseline.
    label_->setContentsMargins(0, Token::kPadding.top(), 0, 0);
    row->addWidget(label_, 0, Qt::AlignTop | Qt::AlignLeft);
    content_ = new QWidget;
    items_ = new WrapLayout(kSpacing, content_);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    content_->setSizePolicy(policy);
    row->addWidget(content_, 1);
}

int FlowRow::labelWidth() const
{
    return std::max(kLabelWidth, int(std::ceil(QFontMetricsF(label_->font()).horizontalAdvance(label_->text()))));
}

void FlowRow::setLabelWidth(int width) { label_->setFixedWidth(std::max(width, labelWidth())); }

} // namespace tavrin
