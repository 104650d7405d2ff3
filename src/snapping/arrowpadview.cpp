#include "snapping/arrowpadview.h"

#include "design/designfont.h"
#include "platform/linuxwords.h"
#include "snapping/arrowkey.h"
#include "snapping/hudmetrics.h"
#include "snapping/hudrow.h"
#include "snapping/snaphudcontroller.h"
#include "windows/display.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include <QGridLayout>

namespace tavrin {

ArrowPadView::ArrowPadView(SnapHUDController& hud, QWidget* parent) : HUDFace(hud, QStringLiteral("arrowPad"), parent)
{
    // ↑ and fill over ← ↓ →; the first cell stays empty.
    const std::pair<Arrow, QPoint> places[] = {
        {Arrow::up, {1, 0}}, {Arrow::left, {0, 1}}, {Arrow::down, {1, 1}}, {Arrow::right, {2, 1}}};
    for (const auto& [arrow, at] : places) {
        auto* key = new ArrowKey;
        key->setObjectName(QStringLiteral("key.") + name(arrow));
        connect(key, &QAbstractButton::clicked, this, [this, a = arrow] { press(a); });
        connect(key, &ArrowKey::hoverChanged, this, [this, a = arrow](bool on) { hover(a, on); });
        grid()->addWidget(key, at.y(), at.x());
        keys_[static_cast<std::size_t>(arrow)] = key;
    }
    fill_ = new ArrowKey(true);
    fill_->setObjectName(QStringLiteral("key.fill"));
    fill_->setLabel(QStringLiteral("fill"));
    fill_->setAccessibleName(QStringLiteral("Fill the screen"));
    connect(fill_, &QAbstractButton::clicked, this, &ArrowPadView::fill);
    grid()->addWidget(fill_, 0, 2);

    footer_ =
        new HUDRow({DesignFont::system(11), TTheme::Colour::muted}, {DesignFont::system(11), TTheme::Colour::muted});
    // The keys of the other display are spelled out here ("Ctrl+Alt+Super"),
    // which may leave too little room beside the resize hint for both.
    footer_->setWrapping(true);
    addFooter(footer_);

    connect(&hud, &SnapHUDController::aspectChanged, this, &ArrowPadView::fitToAspect);
    for (auto changed : {&SnapHUDController::appNameChanged, &SnapHUDController::currentLabelChanged,
                         &SnapHUDController::previewsChanged, &SnapHUDController::pressedChanged})
        connect(&hud, changed, this, &ArrowPadView::showState);
    // Displays come and go between shows: the previews are read at each.
    connect(&hud, &SnapHUDController::previewsChanged, this, &ArrowPadView::showHints);
    connect(&hud.shortcuts(), &ShortcutStore::bindingsChanged, this, &ArrowPadView::showBindings);
    connect(&hud.shortcuts(), &ShortcutStore::unavailableChanged, this, &ArrowPadView::showBindings);
    fitToAspect();
    showBindings();
}

void ArrowPadView::fitToAspect()
{
    const double aspect = hud_.aspect();
    const int width = hud::padWidth(aspect);
    setFixedWidth(width);
    const int height = hud::fittedHeight(hud::columnWidth(width) - 2 * ArrowKey::kPadding, aspect);
    for (ArrowKey* key : keys_)
        key->setDisplayHeight(height);
    fill_->setDisplayHeight(height);
}

void ArrowPadView::showState()
{
    const QString now = hud_.currentLabel();
    header()->setTexts(hud_.appName(),
                       now.isEmpty() ? QStringLiteral("Click a window first") : QStringLiteral("Now: ") + now);
    const auto& previews = hud_.previews();
    for (Arrow arrow : kAllArrows) {
        ArrowKey* key = keys_[static_cast<std::size_t>(arrow)];
        const auto it = previews.find(arrow);
        const bool known = it != previews.end();
        key->setLabel(known ? it->second.label : QString());
        key->setUnit(known ? it->second.unit : std::nullopt);
        key->setHit(hud_.pressed() == arrow);
        key->setAccessibleName(key->symbol() + QStringLiteral(": ") + key->label());
    }
}

void ArrowPadView::showBindings()
{
    // A key another program holds never reaches this one: it is marked, and
    // neither shows nor does what it would do here.
    ShortcutStore& store = hud_.shortcuts();
    const QSet<QString> taken = store.unavailable();
    for (Arrow arrow : kAllArrows) {
        const ShortcutAction action = ShortcutAction::arrow(arrow);
        const auto combo = store.combo(action);
        ArrowKey* key = keys_[static_cast<std::size_t>(arrow)];
        key->setSymbol(combo ? combo->key : QStringLiteral("–"));
        key->setTaken(combo && taken.contains(action.id()));
    }
    const ShortcutAction fillAction = ShortcutAction::of(ShortcutAction::Kind::fill);
    const auto fill = store.combo(fillAction);
    fill_->setSymbol(fill ? fill->key : QStringLiteral("↩"));
    fill_->setTaken(fill && taken.contains(fillAction.id()));
    fill_->setUnit(UnitRect(0, 0, 1, 1)); // none while taken
    showHints();
    showState();
}

void ArrowPadView::showHints()
{
    const auto free = [this](Arrow arrow) { return !key(arrow)->isTaken(); };
    const bool across = free(Arrow::left) || free(Arrow::right);
    const bool upDown = free(Arrow::up) || free(Arrow::down);
    const QString resize = across && upDown ? kResizeHint : across || upDown ? kAgainHint : QString();

    ShortcutStore& store = hud_.shortcuts();
    const QSet<QString> taken = store.unavailable();
    const ShortcutAction displayAction = ShortcutAction::moveDisplay(true);
    const auto display = store.combo(displayAction);
    const bool displayHeld = display && !taken.contains(displayAction.id())
                             && !taken.contains(ShortcutAction::moveDisplay(false).id()) && Display::all().size() > 1;
    footer_->setTexts(resize, displayHeld ? LinuxWords::runningText(LinuxWords::modifierNames(display->modifiers))
                                                + kDisplayHint
                                          : QString());
}

void ArrowPadView::hover(Arrow arrow, bool on)
{
    if (on && key(arrow)->isTaken())
        return;
    if (on) {
        hud_.setHovered(arrow);
        hud_.showPreview(arrow);
    } else {
        hud_.setHovered(std::nullopt);
        hud_.orderOutOutline();
    }
}

void ArrowPadView::press(Arrow arrow)
{
    if (const auto frame = hud_.windowManager().arrow(arrow))
        hud_.flashArrow(arrow, *frame);
}

void ArrowPadView::fill()
{
    if (const auto frame = hud_.windowManager().fill())
        hud_.flashArrow(std::nullopt, *frame);
}

} // namespace tavrin
