#include "focus/views/editorparts.h"

#include "design/designfont.h"
#include "design/themedlabel.h"

#include <QVBoxLayout>

namespace tavrin {

QVBoxLayout* EditorParts::column(QWidget* editor, int width, int spacing)
{
    auto* layout = new QVBoxLayout(editor);
    layout->setContentsMargins(kInset, kInset, kInset, kInset);
    layout->setSpacing(spacing);
    layout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (width > 0)
        editor->setFixedWidth(width);
    return layout;
}

ThemedLabel* EditorParts::title(const QString& text)
{
    return new ThemedLabel(text, TTheme::Colour::ink, DesignFont::system(12.5, QFont::DemiBold));
}

ThemedLabel* EditorParts::text(const QString& text, qreal size, TTheme::Colour colour)
{
    auto* label = new ThemedLabel(text, colour, DesignFont::system(size));
    label->setWordWrap(true);
    return label;
}

ThemedLabel* EditorParts::hint(const QString& text) { return EditorParts::text(text, 11.5, TTheme::Colour::muted); }

} // namespace tavrin
