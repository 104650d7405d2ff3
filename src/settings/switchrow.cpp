#include "settings/switchrow.h"

#include "design/designfont.h"
#include "design/themedlabel.h"
#include "design/tswitch.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrin {

SwitchRow::SwitchRow(const QString& title, const QString& detail, TSwitch* toggle, QWidget* parent)
    : QWidget(parent),
      toggle_(toggle)
{
    title_ = new ThemedLabel(title, TTheme::Colour::ink, DesignFont::system(13), this);
    title_->setWordWrap(true);
    auto* words = new QVBoxLayout;
    words->setContentsMargins(0, 0, 0, 0);
    words->setSpacing(2);
    words->addWidget(title_);
    if (!detail.isEmpty()) {
        detail_ = new ThemedLabel(detail, TTheme::Colour::muted, DesignFont::system(12), this);
        detail_->setWordWrap(true);
        words->addWidget(detail_);
    }

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    row->addLayout(words, 1);
    toggle_->setParent(this);
    toggle_->setAccessibleName(title);
    row->addWidget(toggle_, 0, Qt::AlignRight | Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void SwitchRow::setActive(bool active)
{
    toggle_->setEnabled(active);
    if (active) {
        setGraphicsEffect(nullptr);
        return;
    }
    auto* dim = new QGraphicsOpacityEffect(this);
    dim->setOpacity(0.45);
    setGraphicsEffect(dim);
}

} // namespace tavrin
