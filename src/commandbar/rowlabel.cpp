#include "commandbar/rowlabel.h"

#include "design/designfont.h"
#include "design/elidedlabel.h"
#include "design/squircle.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace tavrin {

namespace {
// The icon's tile: `fill`, rounded 7, the icon centred on it.
class IconTile : public DesignWidget {
public:
    explicit IconTile(QWidget* icon)
    {
        setFixedSize(RowLabel::kIconBox, RowLabel::kIconBox);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(icon, 0, Qt::AlignCenter);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Squircle::fill(painter, QRectF(rect()), 7, t().fill);
    }
};
} // namespace

RowLabel::RowLabel(QWidget* icon, const QString& title, const std::optional<QString>& subtitle, QWidget* parent)
    : DesignWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(10);
    layout->addWidget(new IconTile(icon), 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->setContentsMargins(0, 0, 0, 0);
    title_ = new ElidedLabel(title, TTheme::Colour::ink, DesignFont::system(13.5, QFont::Medium));
    texts->addWidget(title_);
    if (subtitle) {
        subtitle_ = new ElidedLabel(*subtitle, TTheme::Colour::muted, DesignFont::system(12));
        texts->addWidget(subtitle_);
    }
    layout->addLayout(texts, 1);
}

QString RowLabel::title() const { return title_->text(); }
QString RowLabel::subtitle() const { return subtitle_ ? subtitle_->text() : QString(); }

} // namespace tavrin
