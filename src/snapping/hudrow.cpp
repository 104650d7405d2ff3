#include "snapping/hudrow.h"

#include "design/elidedlabel.h"

#include <algorithm>

namespace tavrin {

HUDRow::HUDRow(const Text& leading, const Text& trailing, int minGap, QWidget* parent)
    : QWidget(parent),
      leading_(new ElidedLabel(QString(), leading.colour, leading.font, this)),
      trailing_(new ElidedLabel(QString(), trailing.colour, trailing.font, this)),
      minGap_(minGap)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void HUDRow::setTexts(const QString& leading, const QString& trailing)
{
    leading_->setText(leading);
    trailing_->setText(trailing);
    trailing_->setVisible(!trailing.isEmpty());
    updateGeometry();
    place();
}

void HUDRow::setWrapping(bool wraps)
{
    wraps_ = wraps;
    // A fixed height would hold it to one line.
    QSizePolicy policy(QSizePolicy::Preferred, wraps ? QSizePolicy::Preferred : QSizePolicy::Fixed);
    policy.setHeightForWidth(wraps);
    setSizePolicy(policy);
    updateGeometry();
    place();
}

bool HUDRow::fitsOneLine(int width) const
{
    if (trailing_->text().isEmpty())
        return true;
    return leading_->sizeHint().width() + minGap_ + trailing_->sizeHint().width() <= width;
}

int HUDRow::lineHeight() const { return std::max(leading_->sizeHint().height(), trailing_->sizeHint().height()); }

int HUDRow::heightForWidth(int width) const
{
    if (!wraps_ || fitsOneLine(width))
        return lineHeight();
    return leading_->sizeHint().height() + kLineSpacing + trailing_->sizeHint().height();
}

QSize HUDRow::sizeHint() const
{
    const QSize a = leading_->sizeHint(), b = trailing_->sizeHint();
    const int trailing = trailing_->text().isEmpty() ? 0 : minGap_ + b.width();
    return {a.width() + trailing, std::max(a.height(), b.height())};
}

QSize HUDRow::minimumSizeHint() const { return {minGap_, sizeHint().height()}; }

std::pair<int, int> HUDRow::share(int a, int b, int room)
{
    room = std::max(room, 0);
    if (a + b <= room)
        return {a, b};
    if (a <= b) {
        const int first = std::min(a, room / 2);
        return {first, room - first};
    }
    const int second = std::min(b, room / 2);
    return {room - second, second};
}

void HUDRow::resizeEvent(QResizeEvent*) { place(); }

void HUDRow::place()
{
    if (wraps_ && !fitsOneLine(width())) {
        const int a = std::min(leading_->sizeHint().width(), width());
        const int b = std::min(trailing_->sizeHint().width(), width());
        const int first = leading_->sizeHint().height();
        leading_->setGeometry(0, 0, a, first);
        trailing_->setGeometry(width() - b, first + kLineSpacing, b, trailing_->sizeHint().height());
        return;
    }
    const bool hasTrailing = !trailing_->text().isEmpty();
    const int a = leading_->sizeHint().width(), b = hasTrailing ? trailing_->sizeHint().width() : 0;
    const auto [wa, wb] = share(a, b, width() - (hasTrailing ? minGap_ : 0));
    leading_->setGeometry(0, 0, wa, height());
    trailing_->setGeometry(width() - wb, 0, wb, height());
}

} // namespace tavrin
