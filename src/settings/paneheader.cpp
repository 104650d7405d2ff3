#include "settings/paneheader.h"

#include "design/designfont.h"
#include "design/themedlabel.h"

#include <QVBoxLayout>

namespace tavrin {

PaneHeader::PaneHeader(const QString& title, const QString& sub, QWidget* parent) : QWidget(parent)
{
    QFont titleFont = DesignFont::system(kTitleSize, QFont::Bold);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.3);
    title_ = new ThemedLabel(title, TTheme::Colour::ink, titleFont, this);
    title_->setObjectName(QStringLiteral("paneTitle"));
    sub_ = new ThemedLabel(sub, TTheme::Colour::muted, DesignFont::system(kSubSize), this);
    sub_->setObjectName(QStringLiteral("paneSub"));
    sub_->setWordWrap(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 4);
    column->setSpacing(4);
    column->addWidget(title_);
    column->addWidget(sub_);
}

QString PaneHeader::title() const { return title_->text(); }
QString PaneHeader::sub() const { return sub_->text(); }
void PaneHeader::setSub(const QString& sub) { sub_->setText(sub); }

} // namespace tavrin
