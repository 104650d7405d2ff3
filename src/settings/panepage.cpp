#include "settings/panepage.h"

#include "design/tcard.h"
#include "settings/paneheader.h"

#include <QVBoxLayout>

namespace tavrin {

PanePage::PanePage(const QString& title, const QString& sub, QWidget* parent)
    : QWidget(parent),
      column_(new QVBoxLayout(this)),
      header_(new PaneHeader(title, sub, this))
{
    column_->setContentsMargins(kMargin, kMargin - 4, kMargin, kMargin);
    column_->setSpacing(kCardSpacing);
    column_->addWidget(header_);
    column_->addStretch(1);
}

TCard* PanePage::addCard()
{
    auto* card = new TCard(TCard::kUsualPadding, this);
    addBlock(card);
    return card;
}

void PanePage::addBlock(QWidget* block)
{
    // Before the closing stretch.
    column_->insertWidget(column_->count() - 1, block);
}

} // namespace tavrin
