#include "focus/views/menupicker.h"

#include "design/designfont.h"
#include "design/tbutton.h"
#include "design/themedlabel.h"
#include "focus/views/menus.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QPointer>

namespace tavrin {

MenuPicker::MenuPicker(const QString& label, QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    label_ = new ThemedLabel(label, TTheme::Colour::ink, DesignFont::system(12.5));
    row->addWidget(label_);
    button_ = new TButton(QString());
    button_->setObjectName(QStringLiteral("pickerButton"));
    row->addWidget(button_, 1, Qt::AlignLeft);
    row->addStretch();
    connect(button_, &QAbstractButton::clicked, this, [this] { Menus::popUnder(menu(), button_); });
    refresh();
}

void MenuPicker::setItems(const QList<Item>& items)
{
    items_ = items;
    refresh();
}

void MenuPicker::setSelection(const QVariant& value)
{
    selection_ = value;
    refresh();
}

int MenuPicker::selectedIndex() const
{
    for (qsizetype i = 0; i < items_.size(); ++i)
        if (items_.at(i).value == selection_)
            return int(i);
    return -1;
}

void MenuPicker::choose(int index)
{
    if (index >= 0 && index < items_.size())
        emit chosen(items_.at(index).value);
}

QString MenuPicker::shownTitle() const
{
    const int index = selectedIndex();
    return index >= 0 ? items_.at(index).title : QString();
}

QMenu* MenuPicker::menu()
{
    QMenu* menu = Menus::make(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto* group = new QActionGroup(menu);
    const int chosenIndex = selectedIndex();
    for (qsizetype i = 0; i < items_.size(); ++i) {
        QAction* action = menu->addAction(items_.at(i).title);
        action->setCheckable(true);
        action->setChecked(i == chosenIndex);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] { choose(int(i)); });
    }
    return menu;
}

void MenuPicker::refresh()
{
    // A trailing chevron says the button opens a choice.
    button_->setText(shownTitle() + QStringLiteral("  ⌄"));
    button_->updateGeometry();
}

} // namespace tavrin
