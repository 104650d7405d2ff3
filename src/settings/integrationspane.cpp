#include "settings/integrationspane.h"

#include "design/apptile.h"
#include "design/designfont.h"
#include "design/designwidget.h"
#include "design/environment.h"
#include "design/fillbox.h"
#include "design/squircle.h"
#include "design/tbutton.h"
#include "design/tcard.h"
#include "design/themedlabel.h"
#include "design/tswitch.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/workspace.h"
#include "settings/paneheader.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>

namespace tavrin {

namespace {
using Category = Integration::Category;
using How = Integration::How;
using Permission = Integrations::Permission;

constexpr Category kCategories[] = {Category::browsers, Category::code, Category::terminals, Category::docs,
                                    Category::chat};
const QColor kTurnedOff = QColor(240, 168, 58);

ThemedLabel* text(const QString& content, TTheme::Colour colour = TTheme::Colour::muted,
                  QFont::Weight weight = QFont::Normal)
{
    auto* label = new ThemedLabel(content, colour, DesignFont::system(13, weight));
    label->setWordWrap(true);
    // As wide as its row gives it, as high as its lines.
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    return label;
}

void clear(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        // Out of the pane at once (a widget may be the one whose signal
        // brought us here, so it is deleted from the main loop).
        if (QWidget* w = item->widget()) {
            w->hide();
            w->setParent(nullptr);
            w->deleteLater();
        }
        delete item;
    }
}

// One filter choice: its label on a raised face while chosen.
class Chip : public QAbstractButton {
public:
    Chip(const QString& label, bool chosen, QWidget* parent = nullptr) : QAbstractButton(parent), chosen_(chosen)
    {
        setText(label);
        setFont(DesignFont::system(13));
        setCheckable(false);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setObjectName(QStringLiteral("chip.") + label);
        setAccessibleName(label);
        new EnvironmentWatcher(this);
    }
    bool isChosen() const { return chosen_; }
    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        return {int(std::ceil(metrics.horizontalAdvance(text()))) + 28, int(std::ceil(metrics.height())) + 10};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const TTheme t = Environment::theme(this);
        const QRectF face = QRectF(rect()).adjusted(0, 0, 0, -1);
        if (chosen_) {
            Squircle::fill(painter, face.translated(0, 1), 7, QColor(0, 0, 0, 31));
            Squircle::fill(painter, face, 7, t.glassStrong);
        }
        painter.setPen(chosen_ ? t.ink : t.muted);
        painter.drawText(face, Qt::AlignCenter, text());
    }

private:
    bool chosen_;
};

// One installed application: its tile and name, outlined when its card shows,
// with a check mark while its integration works.
class Tile : public QAbstractButton {
public:
    Tile(const Integration& row, bool shown, bool badge, QWidget* parent = nullptr)
        : QAbstractButton(parent),
          shown_(shown)
    {
        setObjectName(QStringLiteral("tile.") + row.app);
        setAccessibleName(row.app);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(4, 10, 4, 10);
        column->setSpacing(5);
        auto* icon = new AppTile(row.app, 30);
        column->addWidget(icon, 0, Qt::AlignHCenter);
        name_ = new ThemedLabel(row.app, TTheme::Colour::ink, DesignFont::system(12));
        name_->setAlignment(Qt::AlignHCenter);
        name_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        column->addWidget(name_);
        badge_ = new ThemedLabel(QStringLiteral("✓"), TTheme::Colour::good, DesignFont::system(11, QFont::Bold), this);
        badge_->setObjectName(QStringLiteral("badge"));
        badge_->adjustSize();
        badge_->setVisible(badge);
        for (QWidget* child :
             {static_cast<QWidget*>(icon), static_cast<QWidget*>(name_), static_cast<QWidget*>(badge_)})
            child->setAttribute(Qt::WA_TransparentForMouseEvents);
        // Inside a button a label would draw in the button-text colour.
        name_->setForegroundRole(QPalette::WindowText);
        badge_->setForegroundRole(QPalette::WindowText);
        full_ = row.app;
        new EnvironmentWatcher(this);
    }
    bool isShown() const { return shown_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const TTheme t = Environment::theme(this);
        Squircle::fill(painter, rect(), 10, t.winBG);
        if (shown_)
            Squircle::strokeInside(painter, rect(), 10, 2, t.accent);
        else
            Squircle::hairline(painter, rect(), 10, t.line);
    }
    void resizeEvent(QResizeEvent*) override
    {
        badge_->move(width() - 7 - badge_->width(), 4);
        badge_->raise();
        // One line: a name wider than the column ends in an ellipsis.
        name_->setText(name_->fontMetrics().elidedText(full_, Qt::ElideRight, std::max(0, width() - 8)));
    }

private:
    bool shown_;
    QString full_;
    ThemedLabel* name_;
    ThemedLabel* badge_;
};

// Content of one line that is taller than its text (a button or a switch
// beside it): its row's label is centred on it, so the two texts line up.
const char* const kOneLine = "oneLine";

// A label in its 110-point column, and what it labels beside it.
QWidget* cardRow(const QString& label, QWidget* content)
{
    auto* row = new QWidget;
    row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    auto* name = text(label);
    name->setWordWrap(false);
    name->setFixedWidth(110);
    layout->addWidget(name, 0, content->property(kOneLine).toBool() ? Qt::AlignVCenter : Qt::AlignTop);
    layout->addWidget(content, 1);
    row->setObjectName(QStringLiteral("row.") + label);
    return row;
}

// A line of text and, 8 points after it, a button.
QWidget* withButton(QWidget* line, TButton* button)
{
    auto* box = new QWidget;
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    box->setProperty(kOneLine, true);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    line->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    layout->addWidget(line, 0, Qt::AlignVCenter);
    layout->addWidget(button, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return box;
}
} // namespace

IntegrationsPane::IntegrationsPane(QWidget* parent) : PanePage(tr("App integrations"), headerLine(0), parent)
{
    auto* chipRow = new QWidget;
    auto* chipRowLayout = new QHBoxLayout(chipRow);
    chipRowLayout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new FillBox;
    bar->setObjectName(QStringLiteral("chips"));
    chips_ = new QHBoxLayout(bar);
    chips_->setContentsMargins(2, 2, 2, 2);
    chips_->setSpacing(2);
    chipRowLayout->addWidget(bar);
    chipRowLayout->addStretch(1);
    addBlock(chipRow);

    auto* gridBox = new QWidget;
    gridBox->setObjectName(QStringLiteral("grid"));
    grid_ = new QGridLayout(gridBox);
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setSpacing(8);
    for (int c = 0; c < kColumns; ++c) {
        grid_->setColumnStretch(c, 1);
        grid_->setColumnMinimumWidth(c, 10);
    }
    addBlock(gridBox);

    card_ = addCard();
    card_->setObjectName(QStringLiteral("integrationCard"));
    rebuild();
}

QString IntegrationsPane::headerLine(int installedCount)
{
    return tr("%1 app%2 on this computer work with Tavrin. They let Resume bring back what was open, not just the "
              "app. Nothing leaves your computer.")
        .arg(installedCount)
        .arg(installedCount == 1 ? QString() : QStringLiteral("s"));
}

bool IntegrationsPane::readsByScript(const Integration& row)
{
    // Where applications are not scripted, no consent is asked for.
    return row.needsAutomation() && Integrations::scriptsApplications();
}

bool IntegrationsPane::showsBadge(const Integration& row, bool off, const Permissions& permissions)
{
    if (off || row.how == How::appOnly || row.how == How::chatStatus)
        return false;
    return !readsByScript(row) || permissions.value(row.app, Permission::notAsked) == Permission::allowed;
}

std::vector<Integration> IntegrationsPane::visible() const
{
    std::vector<Integration> rows;
    for (const Integration& row : installed_)
        if (!filter_ || row.category == *filter_)
            rows.push_back(row);
    return rows;
}

std::optional<Integration> IntegrationsPane::shown() const
{
    std::optional<QString> app = selected_;
    if (!app) {
        const std::vector<Integration> rows = visible();
        if (rows.empty())
            return std::nullopt;
        app = rows.front().app;
    }
    for (const Integration& row : installed_)
        if (row.app == *app)
            return row;
    return std::nullopt;
}

QList<Integration::Category> IntegrationsPane::categories() const
{
    QList<Category> present;
    for (Category category : kCategories)
        if (std::any_of(installed_.cbegin(), installed_.cend(),
                        [category](const Integration& row) { return row.category == category; }))
            present.append(category);
    return present;
}

void IntegrationsPane::setFilter(std::optional<Integration::Category> filter)
{
    filter_ = filter;
    selected_.reset();
    rebuild();
}

void IntegrationsPane::select(const QString& app)
{
    selected_ = app;
    rebuild();
}

void IntegrationsPane::showEvent(QShowEvent* event)
{
    PanePage::showEvent(event);
    readPermissions();
}

void IntegrationsPane::readPermissions()
{
    std::vector<Integration> rows;
    for (const Integration& row : installed_)
        if (readsByScript(row))
            rows.push_back(row);
    auto read = std::make_shared<Permissions>();
    Platform::current().clock->runInBackground(
        [rows = std::move(rows), read] {
            for (const Integration& row : rows)
                read->insert(row.app, Integrations::permission(row, false));
        },
        this,
        [this, read] {
            permissions_ = *read;
            ++refresh_;
            rebuild();
            emit permissionsRead();
        });
}

void IntegrationsPane::ask(const Integration& row)
{
    Platform::current().clock->runInBackground([row] { Integrations::permission(row, true); }, this,
                                               [this] { readPermissions(); });
}

void IntegrationsPane::rebuild()
{
    installed_ = Integrations::installed();
    header()->setSub(headerLine(int(installed_.size())));
    fillChips();
    fillGrid();
    fillCard();
}

void IntegrationsPane::fillChips()
{
    clear(chips_);
    auto add = [this](const QString& label, std::optional<Category> category) {
        auto* chip = new Chip(label, filter_ == category);
        connect(chip, &QAbstractButton::clicked, this, [this, category] { setFilter(category); });
        chips_->addWidget(chip);
    };
    add(tr("All"), std::nullopt);
    for (Category category : categories())
        add(Integration::rawValue(category), category);
}

void IntegrationsPane::fillGrid()
{
    clear(grid_);
    const std::optional<Integration> current = shown();
    const QSet<QString> off = Integrations::offNames();
    const std::vector<Integration> rows = visible();
    for (size_t i = 0; i < rows.size(); ++i) {
        const Integration& row = rows[i];
        const bool badge = showsBadge(row, Integrations::isOff(row.app, off), permissions_);
        auto* tile = new Tile(row, current && current->app == row.app, badge);
        connect(tile, &QAbstractButton::clicked, this, [this, app = row.app] { select(app); });
        grid_->addWidget(tile, int(i) / kColumns, int(i) % kColumns);
    }
}

void IntegrationsPane::fillCard()
{
    clear(card_->contentLayout());
    const std::optional<Integration> row = shown();
    card_->setVisible(row.has_value());
    if (!row)
        return;
    card_->setProperty("identity", QStringLiteral("%1-%2").arg(row->app).arg(refresh_));

    auto* title = new QWidget;
    auto* titleLayout = new QHBoxLayout(title);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    titleLayout->setSpacing(8);
    titleLayout->addWidget(new AppTile(row->app, 22), 0, Qt::AlignVCenter);
    titleLayout->addWidget(new ThemedLabel(row->app, TTheme::Colour::ink, DesignFont::system(14, QFont::DemiBold)), 0,
                           Qt::AlignVCenter);
    titleLayout->addStretch(1);
    card_->addWidget(title);
    card_->addWidget(cardRow(tr("Brings back"), text(row->bringsBack, TTheme::Colour::ink)));
    card_->addWidget(cardRow(tr("Permission"), permissionContent(*row)));
    if (row->how == How::chatStatus)
        return;
    auto* use = new TSwitch(QString(), !Integrations::isOff(row->app));
    use->setObjectName(QStringLiteral("useIt"));
    use->setAccessibleName(tr("Use the %1 integration").arg(row->app));
    connect(use, &QAbstractButton::toggled, this, [this, app = row->app](bool on) {
        Integrations::setOff(app, !on);
        ++refresh_;
        rebuild();
    });
    auto* holder = new QWidget;
    holder->setProperty(kOneLine, true);
    auto* holderLayout = new QHBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    holderLayout->addWidget(use);
    holderLayout->addStretch(1);
    card_->addWidget(cardRow(tr("Use it"), holder));
}

QWidget* IntegrationsPane::permissionContent(const Integration& row)
{
    if (row.how == How::chatStatus)
        return text(tr("Not needed. Add “Turn on Do Not Disturb” to a Focus routine to silence it."));
    if (!readsByScript(row))
        return text(tr("Not needed"));
    const auto read = permissions_.constFind(row.app);
    const Permission permission = read == permissions_.cend() ? Permission::notAsked : *read;
    switch (permission) {
    case Permission::allowed: return text(kAllowedText, TTheme::Colour::good, QFont::DemiBold);
    case Permission::denied: {
        // One orange in both colour schemes, outside the theme.
        auto* line = new QLabel(tr("Turned off"));
        line->setTextFormat(Qt::PlainText);
        line->setFont(DesignFont::system(13));
        QPalette palette = line->palette();
        palette.setColor(QPalette::WindowText, kTurnedOff);
        line->setPalette(palette);
        auto* open = new TButton(tr("Open Desktop Settings"));
        open->setObjectName(QStringLiteral("openSystemSettings"));
        connect(open, &QAbstractButton::clicked, this, [] {
            if (Workspace* workspace = Platform::current().workspace)
                workspace->openUrl(QUrl(kAutomationSettings));
        });
        return withButton(line, open);
    }
    case Permission::notRunning: return text(tr("Asks the first time a workspace needs %1").arg(row.app));
    case Permission::notAsked:
    case Permission::notNeeded: break;
    }
    auto* allow = new TButton(tr("Allow now"));
    allow->setObjectName(QStringLiteral("allowNow"));
    connect(allow, &QAbstractButton::clicked, this, [this, row] { ask(row); });
    return withButton(text(tr("Not asked yet")), allow);
}

} // namespace tavrin
