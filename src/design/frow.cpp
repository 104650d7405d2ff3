#include "design/frow.h"

#include "design/designfont.h"
#include "design/themedlabel.h"

#include <QHBoxLayout>

namespace tavrin {

FRow::FRow(const QString& label, QWidget* content, QWidget* parent)
    : QWidget(parent),
      label_(new ThemedLabel(label, TTheme::Colour::muted, DesignFont::system(13))),
      content_(content)
{
    label_->setFixedWidth(kLabelWidth);
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    row->addWidget(label_, 0, Qt::AlignVCenter);
    if (content) {
        content->setFont(DesignFont::system(13));
        // Content that wants to grow sideways fills the column; other
        // content keeps its width at the column's leading edge.
        const bool grows = content->sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag;
        row->addWidget(content, 1, grows ? Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    } else {
        row->addStretch(1);
    }
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QString FRow::label() const { return label_->text(); }

} // namespace tavrin
