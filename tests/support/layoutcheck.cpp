#include "support/layoutcheck.h"

#include <QAbstractScrollArea>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>

namespace tavrin {
namespace {

// Class, object name and the start of its text: enough to find it.
QString describe(const QWidget* w)
{
    QString name = QString::fromLatin1(w->metaObject()->className());
    if (!w->objectName().isEmpty())
        name += QStringLiteral(" '%1'").arg(w->objectName());
    const QString text = w->property("text").toString().simplified();
    if (!text.isEmpty())
        name += QStringLiteral(" \"%1\"").arg(text.size() > 40 ? text.left(39) + QChar(0x2026) : text);
    return name;
}

QString sizeText(QSize s) { return QStringLiteral("%1×%2").arg(s.width()).arg(s.height()); }

QList<const QWidget*> shownChildren(const QWidget* parent)
{
    QList<const QWidget*> shown;
    for (const QObject* o : parent->children()) {
        const auto* w = qobject_cast<const QWidget*>(o);
        if (w && !w->isWindow() && !w->isHidden() && !w->size().isEmpty())
            shown << w;
    }
    return shown;
}

// Content scrolled inside a scroll area's viewport is cut on purpose.
bool scrolls(const QWidget* parent)
{
    const auto* area = qobject_cast<const QAbstractScrollArea*>(parent->parentWidget());
    return area && area->viewport() == parent;
}

// The room a label's text needs at the label's width: the widest word when
// it wraps, the whole line when it does not; the height of the lines.
QSize textNeeds(const QLabel* label)
{
    const int width = label->wordWrap() ? label->QLabel::minimumSizeHint().width() : label->QLabel::sizeHint().width();
    return {width, label->QLabel::heightForWidth(label->width())};
}

// How far below the lowest of its shown children (and its layout's bottom
// margin) a widget reaches: room that shows nothing. None without children.
int blankTail(const QWidget* content)
{
    int bottom = -1;
    for (const QWidget* child : shownChildren(content))
        bottom = std::max(bottom, child->geometry().bottom() + 1);
    if (bottom < 0)
        return 0;
    if (const QLayout* layout = content->layout())
        bottom += layout->contentsMargins().bottom();
    return content->height() - bottom;
}

} // namespace

LayoutCheck::LayoutCheck(QString picture) : picture_(std::move(picture)) {}

LayoutCheck& LayoutCheck::allowSpread(const QString& who, const char* why)
{
    Q_UNUSED(why) // the reason is for the reader of the test
    spreading_ << who;
    return *this;
}

bool LayoutCheck::maySpread(const QWidget* widget) const
{
    for (const QString& who : spreading_)
        if (widget->objectName() == who || widget->inherits(who.toLatin1().constData()))
            return true;
    return false;
}

QStringList LayoutCheck::faults(const QWidget* root) const
{
    QStringList found;
    check(root, found);
    return found;
}

void LayoutCheck::check(const QWidget* widget, QStringList& faults) const
{
    const auto fault = [&](const QString& what) { faults << picture_ + QStringLiteral(": ") + what; };
    if (const auto* label = qobject_cast<const QLabel*>(widget); label && !label->text().isEmpty()) {
        const QSize needs = textNeeds(label);
        if (needs.width() > label->width() || needs.height() > label->height())
            fault(QStringLiteral("%1 needs %2 for its text, has %3")
                      .arg(describe(label), sizeText(needs), sizeText(label->size())));
    }
    // Content taller than its scroll area ends where what it shows ends:
    // nothing blank is left to scroll to.
    if (const auto* area = qobject_cast<const QScrollArea*>(widget); area && area->widget()) {
        const QWidget* content = area->widget();
        if (content->isVisible() && content->height() > area->viewport()->height() && blankTail(content) > 1)
            fault(QStringLiteral("%1 leaves %2 px blank to scroll to below its content (%3 high in a %4 px view)")
                      .arg(describe(content))
                      .arg(blankTail(content))
                      .arg(content->height())
                      .arg(area->viewport()->height()));
    }
    const QList<const QWidget*> children = shownChildren(widget);
    for (qsizetype i = 0; i < children.size(); ++i) {
        const QWidget* child = children[i];
        if (!scrolls(widget) && !widget->rect().contains(child->geometry()) && !maySpread(child))
            fault(QStringLiteral("%1 at %2,%3 %4 reaches past its parent %5 (%6)")
                      .arg(describe(child))
                      .arg(child->x())
                      .arg(child->y())
                      .arg(sizeText(child->size()), describe(widget), sizeText(widget->size())));
        for (qsizetype j = i + 1; j < children.size(); ++j) {
            const QWidget* other = children[j];
            if (child->geometry().intersects(other->geometry()) && !maySpread(child) && !maySpread(other))
                fault(QStringLiteral("%1 overlaps %2 in %3").arg(describe(child), describe(other), describe(widget)));
        }
        check(child, faults);
    }
}

void LayoutCheck::expectTidy(const QWidget* root) const
{
    for (const QString& f : faults(root))
        ADD_FAILURE() << f.toStdString();
}

void LayoutCheck::expectTidy(const QWidget* root, const QString& picture) { LayoutCheck(picture).expectTidy(root); }

} // namespace tavrin
