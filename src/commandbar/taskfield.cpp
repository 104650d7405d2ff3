#include "commandbar/taskfield.h"

#include "design/designfont.h"
#include "design/environment.h"
#include "workspaces/textcut.h"

#include <QKeyEvent>
#include <QTextLayout>
#include <QValidator>
#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {

// Keeps the field within its characters. An edit that would take it past
// them keeps what stood before and after it and only as much of what it puts
// in as there is room for: typing at the limit changes nothing, a paste is
// cut to its beginning.
class CharacterLimit : public QValidator {
public:
    CharacterLimit(int characters, QObject* parent) : QValidator(parent), characters_(characters) {}

    State validate(QString& input, int& pos) const override
    {
        if (input.size() > characters_ && characterCount(input) > characters_) {
            const QString& before = accepted_;
            qsizetype head = 0;
            while (head < before.size() && head < input.size() && before[head] == input[head])
                ++head;
            qsizetype tail = 0;
            while (tail < before.size() - head && tail < input.size() - head
                   && before[before.size() - 1 - tail] == input[input.size() - 1 - tail])
                ++tail;
            const QString kept = input.left(head);
            const QString after = input.right(tail);
            const int room = characters_ - characterCount(kept) - characterCount(after);
            const QString added = firstCharacters(input.mid(head, input.size() - head - tail), room);
            input = firstCharacters(kept + added + after, characters_);
            pos = int(std::min(head + added.size(), input.size()));
        }
        accepted_ = input;
        return Acceptable;
    }

private:
    int characters_;
    mutable QString accepted_;
};

} // namespace

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
    // The units bound what a paste puts in before the characters are counted.
    setMaxLength(int(mostUnits(kMaxCharacters)));
    setValidator(new CharacterLimit(kMaxCharacters, this));
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
        // The text is laid out once, as the line edit lays it out, and its
        // letter boundaries are read off that one line.
        QTextLayout layout(shown, font());
        QTextOption option;
        option.setFlags(QTextOption::IncludeTrailingSpaces);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        const qreal room = contentsRect().width() - kEdge;
        const qreal width = line.naturalTextWidth();
        if (width > room) {
            // A little more than is scrolled out: the line edit's own
            // scrolling rounds by a pixel or two.
            const qreal hidden = width - room;
            const qreal wanted = hidden + 2;
            int k = line.xToCursor(wanted, QTextLine::CursorBetweenCharacters);
            // The nearest boundary: step to the first one at or past `wanted`.
            while (k > 0 && line.cursorToX(layout.previousCursorPosition(k)) >= wanted)
                k = layout.previousCursorPosition(k);
            while (k < shown.size() && line.cursorToX(k) < wanted)
                k = layout.nextCursorPosition(k);
            const qreal boundary = line.cursorToX(k);
            if (boundary >= wanted)
                inset = int(std::ceil(boundary - hidden));
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
