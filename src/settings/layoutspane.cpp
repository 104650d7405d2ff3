#include "settings/layoutspane.h"

#include "design/designfont.h"
#include "design/displaypreview.h"
#include "design/frow.h"
#include "design/keymsg.h"
#include "design/tcard.h"
#include "design/tcardtitle.h"
#include "design/themedlabel.h"
#include "design/tseg.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "settings/gapslider.h"
#include "settings/settingswitch.h"
#include "settings/switchrow.h"
#include "snapping/arranging/autoarrange.h"
#include "windows/windowmanager.h"

#include <QHBoxLayout>
#include <cmath>

namespace tavrin {

namespace {
const QString kGapKey = QStringLiteral("gap");
constexpr int kPreviewWidth = 168;

Defaults& defaults() { return *Platform::current().defaults; }

// The display's name, with its size in pixels after it.
QWidget* displayTitle(const Display& display)
{
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(new TCardTitle(display.name));
    if (display.pixelWidth > 0 && display.pixelHeight > 0)
        row->addWidget(new ThemedLabel(QStringLiteral("%1 × %2").arg(display.pixelWidth).arg(display.pixelHeight),
                                       TTheme::Colour::muted, DesignFont::system(12)),
                       0, Qt::AlignVCenter);
    row->addStretch(1);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return box;
}
} // namespace

LayoutsPane::LayoutsPane(WindowManager& windows, AutoArrange& autoArrange, QWidget* parent)
    : PanePage(tr("Layouts"), tr("Pick the layout each display usually gets, and how your windows sit together."),
               parent),
      windows_(windows),
      autoArrange_(autoArrange)
{
    const std::vector<Display> displays = Display::all();
    if (displays.empty())
        addCard()->addWidget(new KeyMsg(tr("Tavrin can't see a display right now."), KeyMsg::Tone::plain));
    for (const Display& display : displays)
        addDisplayCard(display);
    addWindowsCard();
}

int LayoutsPane::previewCount(LayoutKind kind)
{
    switch (kind) {
    case LayoutKind::halves: return 2;
    case LayoutKind::columns: return 4;
    default: return 3;
    }
}

void LayoutsPane::addDisplayCard(const Display& display)
{
    TCard* card = addCard();
    card->setObjectName(QStringLiteral("display.") + display.settingsKey());
    card->addWidget(displayTitle(display));

    DisplayCard entry{display, {}, nullptr, nullptr, nullptr};
    // The display's own windows fill the preview's slots, front to back.
    for (const WindowSnapshot& window : windows_.snapshot(display))
        entry.apps << window.appName;
    QList<TSeg::Option> options;
    for (LayoutKind kind : kAllLayoutKinds)
        options.append({name(kind), title(kind)});
    entry.layout = new TSeg(options, name(windows_.usualLayout(display)));
    entry.layout->setAccessibleName(tr("Usual layout of %1").arg(display.name));
    card->addWidget(entry.layout);

    entry.preview = new DisplayPreview(display.aspect(), {}, 2, 6);
    entry.preview->setFixedSize(kPreviewWidth, int(std::round(kPreviewWidth / display.aspect())));
    entry.autoArrange = new SettingSwitch({[this, display] { return autoArrange_.isEnabled(display); },
                                           [this, display](bool on) { autoArrange_.setEnabled(on, display); },
                                           {AutoArrange::enabledKey(display)}});
    auto* row = new QHBoxLayout;
    row->setSpacing(16);
    row->addWidget(entry.preview, 0, Qt::AlignTop);
    row->addWidget(new SwitchRow(tr("Arrange new windows"),
                                 tr("Windows you open on this display join its usual layout by themselves."),
                                 entry.autoArrange),
                   1, Qt::AlignVCenter);
    card->addLayout(row);

    cards_.append(entry);
    const int index = int(cards_.size()) - 1;
    connect(entry.layout, &TSeg::selectionChanged, this, [this, index](const QVariant& value) {
        DisplayCard& c = cards_[index];
        defaults().setValue(WindowManager::usualLayoutKey(c.display), value.toString());
        showPreview(c);
    });
    showPreview(cards_[index]);
}

void LayoutsPane::addWindowsCard()
{
    TCard* card = addCard();
    card->addWidget(new TCardTitle(tr("Windows")));

    const int gap = int(std::clamp(std::lround(windows_.gap()), 0L, long(kMaxGap)));
    gap_ = new GapSlider(0, kMaxGap, gap);
    gap_->setAccessibleName(tr("Gap between windows"));
    gapValue_ = new ThemedLabel(QString(), TTheme::Colour::ink, DesignFont::system(13));
    gapValue_->setMinimumWidth(44);
    gapValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* gapRow = new QWidget;
    auto* row = new QHBoxLayout(gapRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(gap_, 1);
    row->addWidget(gapValue_);
    gapRow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    card->addWidget(new FRow(tr("Gap"), gapRow));
    connect(gap_, &QSlider::valueChanged, this, [this](int value) {
        defaults().setValue(kGapKey, qint64(value));
        showGap(value);
    });
    showGap(gap);

    overlay_ = new SettingSwitch(SettingSwitch::key(QStringLiteral("showSnapOverlay"), true));
    card->addWidget(new SwitchRow(tr("Show the snap overlay"),
                                  tr("Hold Ctrl+Alt to see where the arrow keys and letters will put a window."),
                                  overlay_));
}

void LayoutsPane::showPreview(DisplayCard& card)
{
    const LayoutKind kind = layoutKindFromName(card.layout->selection().toString()).value_or(LayoutKind::focusCentre);
    const int count = previewCount(kind);
    const QStringList& apps = card.apps;
    QList<DisplayPreview::Item> items;
    const std::vector<UnitRect> zones = rects(kind, count, card.display.aspect());
    for (int i = 0; i < int(zones.size()); ++i)
        items.append({QString::number(i), i < apps.size() ? apps[i] : tr("Window %1").arg(i + 1), zones[size_t(i)]});
    card.preview->setItems(items);
}

void LayoutsPane::showGap(int gap)
{
    gapValue_->setText(tr("%1 px").arg(gap));
    // The previews are small: the gap is drawn four times its scale, so that
    // a change shows, and never under a pixel.
    for (DisplayCard& card : cards_) {
        const double width = card.display.area.width;
        const double scale = width > 0 ? kPreviewWidth / width : 0;
        card.preview->setGap(std::max(1.0, gap * scale * 4));
    }
}

} // namespace tavrin
