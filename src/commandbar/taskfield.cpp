#include "commandbar/taskfield.h"

#include "design/designfont.h"
#include "design/environment.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <cmath>

namespace tavrin {

TaskField::TaskField(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("taskField"));
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    QFont font = DesignFont::system(kFontSize);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.17);
    setFont(font);
    setPlaceholderText(tr("Describe what you're working on…"));
    setTextMargins(0, 0, 0, 0);
    new EnvironmentWatcher(this, [this] { refresh(); });
    refresh();
    connect(this, &QLineEdit::textChanged, this, &TaskField::alignStart);
    connect(this, &QLineEdit::cursorPositionChanged, this, &TaskField::alignStart);
}

void TaskField::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    alignStart();
}

void TaskField::alignStart()
{
    // Typing at the end of a request longer than the field scrolls its
    // beginning out of view, and the field's edge would cut through a
    // letter: the text starts a little further in instead, at the first
    // letter that shows whole.
    int inset = 0;
    const QString shown = text();
    if (cursorPosition() == shown.size() && !shown.isEmpty()) {
        const QFontMetricsF fm(font());
        const qreal room = contentsRect().width() - kEdge;
        const qreal width = fm.horizontalAdvance(shown);
        if (width > room) {
            // A little more than is scrolled out: the line edit's own
            // scrolling rounds by a pixel or two.
            const qreal hidden = width - room;
            for (int k = 1; k <= shown.size(); ++k) {
                const qreal boundary = fm.horizontalAdvance(shown.left(k));
                if (boundary >= hidden + 2) {
                    inset = int(std::ceil(boundary - hidden));
                    break;
                }
            }
        }
    }
    if (textMargins().left() != inset)
        setTextMargins(inset, 0, 0, 0);
}

void TaskField::showRequest(const QString& text)
{
    setText(text);
    // From its first letter: a long request would otherwise show its end,
    // its beginning cut off at the field's edge.
    home(false);
}

void TaskField::refresh()
{
    const TTheme t = Environment::theme(this);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::transparent);
    p.setColor(QPalette::Window, Qt::transparent);
    p.setColor(QPalette::Text, t.ink);
    p.setColor(QPalette::PlaceholderText, t.muted);
    p.setColor(QPalette::Highlight, t.accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(p);
    update();
}

bool TaskField::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            emit tabPressed();
            return true;
        }
    }
    // Keep Escape from being taken as a shortcut before it reaches the field.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void TaskField::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit returnPressed(event->modifiers(), event->isAutoRepeat());
        event->accept();
        return;
    case Qt::Key_Escape:
        emit escapePressed();
        event->accept();
        return;
    default: QLineEdit::keyPressEvent(event);
    }
}

} // namespace tavrin
