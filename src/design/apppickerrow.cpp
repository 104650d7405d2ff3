#include "design/apppickerrow.h"

#include "design/apptile.h"
#include "design/designfont.h"
#include "design/themedlabel.h"

#include <QHBoxLayout>

namespace tavrin {

AppPickerRow::AppPickerRow(const QString& app, QWidget* parent) : QAbstractButton(parent), app_(app)
{
    setObjectName(QStringLiteral("app.") + app);
    setAccessibleName(app);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Its labels draw in their own colours, not a button's (they take the
    // roles of the row's background).
    setBackgroundRole(QPalette::Window);
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(8, 5, 8, 5);
    line->setSpacing(10);
    auto* tile = new AppTile(app, kIconSize);
    auto* name = new ThemedLabel(app, TTheme::Colour::ink, DesignFont::system(13));
    check_ = new ThemedLabel(QStringLiteral("✓"), TTheme::Colour::accent, DesignFont::system(13, QFont::DemiBold));
    check_->hide();
    line->addWidget(tile, 0, Qt::AlignVCenter);
    line->addWidget(name, 0, Qt::AlignVCenter);
    line->addStretch(1);
    line->addWidget(check_, 0, Qt::AlignVCenter);
    // The row takes every press, wherever it lands.
    for (QWidget* child : {static_cast<QWidget*>(tile), static_cast<QWidget*>(name), static_cast<QWidget*>(check_)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool AppPickerRow::isMarked() const { return !check_->isHidden(); }

void AppPickerRow::setMarked(bool marked) { check_->setVisible(marked); }

QSize AppPickerRow::sizeHint() const { return layout()->sizeHint(); }

void AppPickerRow::paintEvent(QPaintEvent*) {}

} // namespace tavrin
