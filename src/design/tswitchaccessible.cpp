#include "design/tswitchaccessible.h"

#include "design/tswitch.h"

namespace tavrin {

namespace {
QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("tavrin::TSwitch") && object && object->isWidgetType())
        return new TSwitchAccessible(static_cast<QWidget*>(object));
    return nullptr;
}
} // namespace

TSwitchAccessible::TSwitchAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::CheckBox) {}

void TSwitchAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

QAbstractButton* TSwitchAccessible::button() const { return static_cast<QAbstractButton*>(widget()); }

QAccessible::State TSwitchAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = true;
    s.checked = button()->isChecked();
    return s;
}

QString TSwitchAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Value: return button()->isChecked() ? QStringLiteral("On") : QStringLiteral("Off");
    case QAccessible::Name: {
        const QString name = QAccessibleWidget::text(t);
        return name.isEmpty() ? button()->text() : name;
    }
    default: return QAccessibleWidget::text(t);
    }
}

QStringList TSwitchAccessible::actionNames() const { return {toggleAction()}; }

void TSwitchAccessible::doAction(const QString& actionName)
{
    if (actionName == toggleAction() || actionName == pressAction())
        button()->click();
}

} // namespace tavrin
