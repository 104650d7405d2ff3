#include "design/tsegaccessible.h"

#include "design/tseg.h"

#include <QPointer>
#include <QWindow>

namespace tavrin {

namespace {
QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("tavrin::TSeg") && object && object->isWidgetType())
        return new TSegAccessible(static_cast<QWidget*>(object));
    return nullptr;
}
} // namespace

// One segment: no widget of its own, so it keeps its control and its index.
class TSegAccessible::Segment : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    Segment(TSeg* seg, int index) : seg_(seg), index_(index) {}

    bool isValid() const override { return seg_ && index_ < seg_->options().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return seg_ ? seg_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(seg_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? seg_->options()[index_].label : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = TSeg::segmentRects(labelList(), seg_->size())[index_].toAlignedRect();
        return QRect(seg_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.selectable = true;
        s.selected = isValid() && seg_->selectedIndex() == index_;
        s.invisible = !seg_ || !seg_->isVisible();
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction() && isValid())
            seg_->choose(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QStringList labelList() const
    {
        QStringList labels;
        for (const TSeg::Option& o : seg_->options())
            labels.append(o.label);
        return labels;
    }

    QPointer<TSeg> seg_;
    int index_;
};

TSegAccessible::TSegAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Grouping) {}

TSegAccessible::~TSegAccessible()
{
    for (QAccessible::Id id : std::as_const(segments_))
        QAccessible::deleteAccessibleInterface(id);
}

void TSegAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

TSeg* TSegAccessible::seg() const { return static_cast<TSeg*>(widget()); }

int TSegAccessible::childCount() const { return int(seg()->options().size()); }

QAccessibleInterface* TSegAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    while (segments_.size() <= index)
        segments_.append(QAccessible::registerAccessibleInterface(new Segment(seg(), int(segments_.size()))));
    return QAccessible::accessibleInterface(segments_[index]);
}

int TSegAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (int i = 0; i < segments_.size(); ++i)
        if (QAccessible::accessibleInterface(segments_[i]) == child)
            return i;
    return -1;
}

} // namespace tavrin
