#include "design/tcardtitle.h"

#include "design/designfont.h"
#include "design/themedlabel.h"

#include <QHBoxLayout>

namespace tavrin {

TCardTitle::TCardTitle(const QString& text, QWidget* icon, QWidget* parent)
    : QWidget(parent),
      icon_(icon),
      label_(new ThemedLabel(text, TTheme::Colour::ink, DesignFont::system(14, QFont::DemiBold)))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    if (icon)
        row->addWidget(icon, 0, Qt::AlignVCenter);
    row->addWidget(label_, 0, Qt::AlignVCenter);
    row->addStretch(1);
}

QString TCardTitle::text() const { return label_->text(); }

} // namespace tavrin
