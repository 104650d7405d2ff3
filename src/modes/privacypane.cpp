#include "modes/privacypane.h"

#include "design/apppicker.h"
#include "design/apptile.h"
#include "design/designfont.h"
#include "design/environment.h"
#include "design/kbd.h"
#include "design/tbutton.h"
#include "design/tcard.h"
#include "design/themedlabel.h"
#include "modes/sharesafe.h"
#include "platform/defaults.h"
#include "platform/linuxwords.h"
#include "windows/shortcutstore.h"

#include <QCollator>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

namespace tavrin {

namespace {
constexpr int kCardSpacing = 14;

// A text about blur as this desktop says it: "hide" where no compositor
// blurs, as the veils are opaque there.
QString said(const QString& blurText) { return Environment::blurAvailable() ? blurText : LinuxWords::of(blurText); }

// A layout's widgets go (the layout itself stays).
void clear(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
}
} // namespace

PrivacyPane::PrivacyPane(ShareSafe& share, const ShortcutStore& shortcuts, QWidget* parent)
    : QWidget(parent),
      share_(share),
      shortcuts_(shortcuts)
{
    setObjectName(QStringLiteral("privacyPane"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kCardSpacing);
    column->addWidget(makeListCard());
    column->addWidget(makeShortcutCard());
    column->addStretch(1);

    followChanges();
    fillList();
    refreshShortcut();
    blurred_->setText(blurredNow(share_.hiddenByHand()));
    blurred_->setVisible(!share_.hiddenByHand().isEmpty());
}

TCard* PrivacyPane::makeListCard()
{
    listCard_ = new TCard(QMargins(6, 10, 6, 10));
    listCard_->setObjectName(QStringLiteral("privateApps"));
    listCard_->contentLayout()->setSpacing(0);
    auto* header = new QWidget;
    header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* headerLine = new QHBoxLayout(header);
    headerLine->setContentsMargins(10, 0, 10, 0);
    headerLine->addWidget(
        new ThemedLabel(tr("Private apps"), TTheme::Colour::ink, DesignFont::system(14, QFont::DemiBold)));
    headerLine->addStretch(1);
    auto* addButton = new TButton(tr("Add app…"), TButtonStyle::Kind::normal);
    addButton->setObjectName(QStringLiteral("addApp"));
    connect(addButton, &QAbstractButton::clicked, this, &PrivacyPane::openPicker);
    headerLine->addWidget(addButton);
    listCard_->addWidget(header);
    auto* rowsBody = new QWidget;
    rowsBody->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    rows_ = new QVBoxLayout(rowsBody);
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(0);
    listCard_->addWidget(rowsBody);
    return listCard_;
}

TCard* PrivacyPane::makeShortcutCard()
{
    auto* shortcutCard = new TCard(TCard::kUsualPadding);
    shortcutCard->setObjectName(QStringLiteral("hideShortcut"));
    auto* shortcutRow = new QWidget;
    shortcutRow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* shortcutLine = new QHBoxLayout(shortcutRow);
    shortcutLine->setContentsMargins(0, 0, 0, 0);
    shortcutLine->setSpacing(12);
    auto* label = new ThemedLabel(tr("Hide shortcut"), TTheme::Colour::muted, DesignFont::system(13));
    label->setFixedWidth(110);
    shortcutLine->addWidget(label, 0, Qt::AlignVCenter);
    kbd_ = new Kbd(QString());
    shortcutLine->addWidget(kbd_, 0, Qt::AlignVCenter);
    auto* explanation = new ThemedLabel(said(tr("Blurs the app you're in, now. Press again in that app to show it.")),
                                        TTheme::Colour::muted, DesignFont::system(12.5));
    explanation->setWordWrap(true);
    shortcutLine->addWidget(explanation, 1, Qt::AlignVCenter);
    shortcutCard->addWidget(shortcutRow);
    blurred_ = new ThemedLabel(QString(), TTheme::Colour::good, DesignFont::system(12.5));
    blurred_->setObjectName(QStringLiteral("blurredNow"));
    blurred_->setWordWrap(true);
    // Across the card, so that its lines break at the card's width and the
    // card grows by as many lines as it takes.
    blurred_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    shortcutCard->addWidget(blurred_);
    return shortcutCard;
}

void PrivacyPane::followChanges()
{
    connect(&share_, &ShareSafe::privateAppsChanged, this, &PrivacyPane::fillList);
    connect(&share_, &ShareSafe::hiddenByHandChanged, this, [this](const QSet<QString>& names) {
        blurred_->setText(blurredNow(names));
        blurred_->setVisible(!names.isEmpty());
    });
    if (Defaults* defaults = share_.defaults())
        connect(defaults, &Defaults::changed, this, [this](const QString& key) {
            if (key == ShortcutStore::key(ShortcutAction::of(ShortcutAction::Kind::hideApp))) {
                refreshShortcut();
                fillList();
            } else if (key == ShareSafe::kAddedByHideKey) {
                fillList();
            }
        });
}

QString PrivacyPane::hideShortcut() const
{
    const auto combo = shortcuts_.combo(ShortcutAction::of(ShortcutAction::Kind::hideApp));
    return combo ? combo->text() : QString();
}

QString PrivacyPane::origin(const QString& name) const
{
    if (ShareSafe::isBuiltIn(name))
        return tr("Built in");
    if (share_.storedNames(ShareSafe::kAddedByHideKey).value_or(QStringList()).contains(name))
        return tr("Added with ") + hideShortcut();
    return tr("Added by you");
}

QString PrivacyPane::blurredNow(const QSet<QString>& names)
{
    if (names.isEmpty())
        return {};
    QStringList sorted(names.begin(), names.end());
    std::sort(sorted.begin(), sorted.end());
    return said(tr("Blurred now: ")) + sorted.join(QStringLiteral(", "));
}

QString PrivacyPane::blurredNowShown() const { return blurred_->isHidden() ? QString() : blurred_->text(); }

QStringList PrivacyPane::listed() const
{
    QStringList names(share_.privateNames().begin(), share_.privateNames().end());
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return names;
}

void PrivacyPane::add(const QString& name)
{
    share_.setPrivateApps(QSet<QString>(share_.privateNames()).unite({name}));
}

void PrivacyPane::remove(const QString& name)
{
    QSet<QString> names = share_.privateNames();
    names.remove(name);
    share_.setPrivateApps(names);
}

void PrivacyPane::openPicker()
{
    if (picker_)
        return;
    picker_ = new AppPicker(tr("Add a private app"), share_.privateNames(), false,
                            [this](const QString& name) { add(name); });
    AppPicker::present(picker_, this);
}

void PrivacyPane::refreshShortcut()
{
    const auto combo = shortcuts_.combo(ShortcutAction::of(ShortcutAction::Kind::hideApp));
    kbd_->setKeys(combo ? combo->keyNames() : QStringList());
}

void PrivacyPane::fillList()
{
    clear(rows_);
    const QStringList names = listed();
    if (names.isEmpty()) {
        auto* empty = new ThemedLabel(said(tr("No private apps. Share-safe won't blur anything when you share.")),
                                      TTheme::Colour::muted, DesignFont::system(12.5));
        empty->setObjectName(QStringLiteral("noPrivateApps"));
        empty->setWordWrap(true);
        empty->setContentsMargins(10, 10, 10, 10);
        rows_->addWidget(empty);
        return;
    }
    for (const QString& name : names)
        rows_->addWidget(makeRow(name));
}

QWidget* PrivacyPane::makeRow(const QString& name)
{
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("private.") + name);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(10, 7, 10, 7);
    line->setSpacing(10);
    line->addWidget(new AppTile(name, 26), 0, Qt::AlignVCenter);
    auto* words = new QVBoxLayout;
    words->setSpacing(1);
    words->addWidget(new ThemedLabel(name, TTheme::Colour::ink, DesignFont::system(13, QFont::Medium)));
    auto* from = new ThemedLabel(origin(name), TTheme::Colour::muted, DesignFont::system(11.5));
    from->setObjectName(QStringLiteral("origin"));
    words->addWidget(from);
    line->addLayout(words);
    line->addStretch(1);
    auto* removeButton = new TButton(tr("Remove"), TButtonStyle::Kind::ghost);
    removeButton->setObjectName(QStringLiteral("remove"));
    removeButton->setAccessibleName(tr("Remove %1").arg(name));
    connect(removeButton, &QAbstractButton::clicked, this, [this, name] { remove(name); });
    line->addWidget(removeButton, 0, Qt::AlignVCenter);
    return row;
}

} // namespace tavrin
