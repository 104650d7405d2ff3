#include "commandbar/toastview.h"

#include "design/designfont.h"
#include "design/elidedlabel.h"
#include "design/tbutton.h"
#include "design/tglass.h"
#include "design/themedlabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrin {

ToastView::ToastView(const QString& text, std::function<void()> onUndo, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("toastView"));
    auto* row = new QWidget;
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(14, 7, 8, 7);
    rowLayout->setSpacing(10);
    auto* check =
        new ThemedLabel(QStringLiteral("✓"), TTheme::Colour::good, DesignFont::system(kFontSize, QFont::Bold));
    rowLayout->addWidget(check);
    message_ = new ElidedLabel(text, TTheme::Colour::ink, DesignFont::system(kFontSize));
    message_->setObjectName(QStringLiteral("toastMessage"));
    rowLayout->addWidget(message_, 1);
    undo_ = new TButton(tr("Undo"), TButtonStyle::Kind::normal);
    undo_->setObjectName(QStringLiteral("toastUndo"));
    undo_->setFocusPolicy(Qt::NoFocus);
    rowLayout->addWidget(undo_);
    connect(undo_, &QAbstractButton::clicked, this, [onUndo = std::move(onUndo)] {
        if (onUndo)
            onUndo();
    });

    auto* glass = new TGlass(999, row);
    glass->setOutset(kMargin);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(glass);
}

QString ToastView::text() const { return message_->text(); }

QSize ToastView::sizeThatFits(QSize proposal) const
{
    const QSize natural = sizeHint();
    return {std::min(natural.width(), std::max(proposal.width(), minimumSizeHint().width())),
            std::min(natural.height(), std::max(proposal.height(), 0))};
}

} // namespace tavrin
