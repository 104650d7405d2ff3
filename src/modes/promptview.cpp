#include "modes/promptview.h"

#include "design/designfont.h"
#include "design/environment.h"
#include "design/tbutton.h"
#include "design/tglass.h"
#include "design/themedlabel.h"
#include "platform/linuxwords.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrin {

PromptView::PromptView(const QString& app, std::function<void(bool)> onAnswer, QWidget* parent)
    : QWidget(parent),
      app_(app)
{
    setObjectName(QStringLiteral("privacyPromptView"));
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(14, 6, 8, 6);
    line->setSpacing(8);
    line->addWidget(
        new ThemedLabel(QStringLiteral("✓"), TTheme::Colour::good, DesignFont::system(kFontSize, QFont::Bold)), 0,
        Qt::AlignVCenter);
    auto* text = new ThemedLabel(message(app), TTheme::Colour::ink, DesignFont::system(kFontSize));
    text->setObjectName(QStringLiteral("privacyPromptMessage"));
    line->addWidget(text, 0, Qt::AlignVCenter);
    yes_ = new TButton(tr("Yes"), TButtonStyle::Kind::primary);
    no_ = new TButton(tr("No"), TButtonStyle::Kind::normal);
    for (TButton* button : {yes_, no_}) {
        button->setFocusPolicy(Qt::NoFocus);
        line->addWidget(button, 0, Qt::AlignVCenter);
    }
    connect(yes_, &QAbstractButton::clicked, this, [onAnswer] {
        if (onAnswer)
            onAnswer(true);
    });
    connect(no_, &QAbstractButton::clicked, this, [onAnswer] {
        if (onAnswer)
            onAnswer(false);
    });

    auto* glass = new TGlass(999, row);
    glass->setOutset(kMargin);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(glass);
    // The row keeps its natural width and height.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString PromptView::message(const QString& app)
{
    const QString blurred = tr(" is blurred. Blur it whenever you share your screen?");
    return app + (Environment::blurAvailable() ? blurred : LinuxWords::of(blurred));
}

} // namespace tavrin
