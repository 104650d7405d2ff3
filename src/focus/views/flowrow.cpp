#include "focus/views/flowrow.h"

#include "design/designfont.h"
#include "design/themedlabel.h"
#include "focus/views/token.h"
#include "focus/views/wraplayout.h"

#include <QHBoxLayout>

namespace tavrin {

FlowRow::FlowRow(const QString& label, QWidget* parent) : QWidget(parent)
{
    setFont(DesignFont::system(kFontSize));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    label_ = new ThemedLabel(label, TTheme::Colour::muted, DesignFont::system(kFontSize, QFont::DemiBold));
    label_->setFixedWidth(kLabelWidth);
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

} // namespace tavrin
