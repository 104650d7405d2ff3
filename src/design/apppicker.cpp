#include "design/apppicker.h"

#include "design/apppickerrow.h"
#include "design/designfont.h"
#include "design/designwidget.h"
#include "design/tbutton.h"
#include "design/tfield.h"
#include "design/themed.h"
#include "design/themedlabel.h"
#include "design/thinscrollbar.h"
#include "platform/platform.h"
#include "platform/workspace.h"

#include <QCollator>
#include <QDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace tavrin {

namespace {
// The sheet's body, in the window colour of the theme.
class SheetBody : public DesignWidget {
public:
    using DesignWidget::DesignWidget;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), t().winBG); }
};

// The list of one desktop, read once.
struct InstalledCache {
    std::uint64_t installation = 0;
    std::optional<QStringList> names;
};
} // namespace

const QString AppPicker::kSelfName = QStringLiteral("Tavrin");

QStringList AppPicker::installedApps()
{
    static InstalledCache cache;
    // A list belongs to the desktop it was read from.
    if (cache.names && cache.installation == Platform::installation())
        return *cache.names;
    QSet<QString> found;
    if (Workspace* workspace = Platform::current().workspace) {
        for (const QString& name : workspace->installedApplicationNames())
            found.insert(name);
        for (const RunningApp& app : workspace->runningApplications())
            if (app.activationPolicy == ActivationPolicy::regular && !app.localizedName.isEmpty())
                found.insert(app.localizedName);
    }
    found.remove(kSelfName);
    found.remove(QString());
    QStringList names(found.begin(), found.end());
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    cache = {Platform::installation(), names};
    return names;
}

AppPicker::AppPicker(const QString& title, const QSet<QString>& exclude, bool multiple,
                     std::function<void(const QString&)> onPick, QWidget* parent)
    : QWidget(parent),
      exclude_(exclude),
      multiple_(multiple),
      onPick_(std::move(onPick))
{
    setObjectName(QStringLiteral("appPicker"));
    setFixedWidth(kWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(10);
    column->addWidget(new ThemedLabel(title, TTheme::Colour::ink, DesignFont::system(15, QFont::DemiBold)));

    field_ = new TField;
    field_->setObjectName(QStringLiteral("appSearch"));
    field_->setPlaceholderText(tr("Search apps"));
    field_->installEventFilter(this);
    connect(field_, &QLineEdit::textChanged, this, &AppPicker::filter);
    column->addWidget(field_);

    column->addWidget(appList());
    column->addLayout(buttonRow());
    filter();
    refreshAdd();
}

// The scrolling list of the offered applications, with the line shown when
// none matches.
QWidget* AppPicker::appList()
{
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("appList"));
    scroll->setFixedHeight(kListHeight);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The sheet's colour shows through; the scroll indicator is a thin
    // translucent bar that reads on either scheme.
    scroll->viewport()->setAutoFillBackground(false);
    ThinScrollBar::apply(scroll->verticalScrollBar());
    auto* listBody = new QWidget;
    list_ = new QVBoxLayout(listBody);
    list_->setContentsMargins(0, 0, 0, 0);
    list_->setSpacing(0);
    for (const QString& name : installedApps()) {
        if (exclude_.contains(name))
            continue;
        offered_ << name;
        auto* row = new AppPickerRow(name);
        connect(row, &QAbstractButton::clicked, this, [this, name] { click(name); });
        rows_.insert(name, row);
        list_->addWidget(row);
    }
    noMatch_ = new ThemedLabel(QString(), TTheme::Colour::muted, DesignFont::system(12.5));
    noMatch_->setObjectName(QStringLiteral("noMatch"));
    noMatch_->setContentsMargins(8, 8, 8, 8);
    noMatch_->setWordWrap(true);
    list_->addWidget(noMatch_);
    list_->addStretch(1);
    scroll->setWidget(listBody);
    listBody->setAutoFillBackground(false); // setWidget() turned it on
    return scroll;
}

// Cancel, and Add when picking several.
QHBoxLayout* AppPicker::buttonRow()
{
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    auto* cancelButton = new TButton(tr("Cancel"), TButtonStyle::Kind::normal);
    cancelButton->setObjectName(QStringLiteral("cancel"));
    connect(cancelButton, &QAbstractButton::clicked, this, &AppPicker::cancel);
    buttons->addWidget(cancelButton);
    if (multiple_) {
        add_ = new TButton(QString(), TButtonStyle::Kind::primary);
        add_->setObjectName(QStringLiteral("add"));
        connect(add_, &QAbstractButton::clicked, this, &AppPicker::addPicked);
        buttons->addWidget(add_);
    }
    return buttons;
}

QString AppPicker::noMatchText(const QString& query) { return tr("No apps match “%1”.").arg(query); }

QString AppPicker::query() const { return field_->text(); }

void AppPicker::setQuery(const QString& query) { field_->setText(query); }

QStringList AppPicker::apps() const
{
    const QString q = query();
    if (q.isEmpty())
        return offered_;
    QStringList shown;
    for (const QString& name : offered_)
        if (name.contains(q, Qt::CaseInsensitive))
            shown << name;
    return shown;
}

void AppPicker::filter()
{
    const QStringList shown = apps();
    const QSet<QString> visible(shown.begin(), shown.end());
    for (auto it = rows_.begin(); it != rows_.end(); ++it)
        it.value()->setVisible(visible.contains(it.key()));
    noMatch_->setText(noMatchText(query()));
    noMatch_->setVisible(shown.isEmpty());
}

void AppPicker::refreshAdd()
{
    if (!add_)
        return;
    add_->setText(tr("Add %1").arg(picked_.size()));
    add_->setEnabled(!picked_.isEmpty());
}

void AppPicker::click(const QString& name)
{
    if (!multiple_) {
        if (onPick_)
            onPick_(name);
        close();
        return;
    }
    if (!picked_.remove(name))
        picked_.insert(name);
    if (AppPickerRow* r = rows_.value(name))
        r->setMarked(picked_.contains(name));
    refreshAdd();
}

void AppPicker::submit()
{
    if (multiple_)
        return;
    const QStringList shown = apps();
    if (shown.isEmpty())
        return;
    click(shown.front());
}

void AppPicker::addPicked()
{
    if (!multiple_ || picked_.isEmpty())
        return;
    QStringList names(picked_.begin(), picked_.end());
    std::sort(names.begin(), names.end());
    if (onPick_)
        for (const QString& name : names)
            onPick_(name);
    close();
}

void AppPicker::cancel() { close(); }

void AppPicker::close() { emit dismissed(); }

bool AppPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            submit();
            return true;
        }
        if (key == Qt::Key_Escape) {
            cancel();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void AppPicker::present(AppPicker* picker, QWidget* over)
{
    auto* sheet = new QDialog(over ? over->window() : nullptr);
    sheet->setObjectName(QStringLiteral("appPickerSheet"));
    sheet->setWindowTitle(QString());
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* body = new SheetBody;
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addWidget(picker);
    layout->addWidget(new Themed(body));
    connect(picker, &AppPicker::dismissed, sheet, &QDialog::close);
    sheet->show();
    picker->searchField()->setFocus();
}

} // namespace tavrin
