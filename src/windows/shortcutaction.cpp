#include "windows/shortcutaction.h"

#include "platform/hotkeys.h"

namespace tavrin {

namespace {
constexpr std::uint32_t kControlOption = modifier::control | modifier::option;

// Virtual key codes of the default bindings.
constexpr std::uint32_t kLayoutKeys[] = {18, 19, 20, 21, 23, 22};     // 1 … 6
constexpr std::uint32_t kArrowKeys[] = {123, 124, 126, 125};          // ← → ↑ ↓
constexpr std::uint32_t kSnapKeys[] = {12, 13, 14, 0, 1, 2, 6, 7, 8}; // Q W E A S D Z X C
const char* const kSnapLetters[] = {"Q", "W", "E", "A", "S", "D", "Z", "X", "C"};
constexpr std::uint32_t kKeySpace = 49, kKey0 = 29, kKeyReturn = 36, kKeyP = 35;

QString arrowGlyph(Arrow a)
{
    switch (a) {
    case Arrow::left: return QStringLiteral("←");
    case Arrow::right: return QStringLiteral("→");
    case Arrow::up: return QStringLiteral("↑");
    case Arrow::down: return QStringLiteral("↓");
    }
    return {};
}

const char* plainName(ShortcutAction::Kind k)
{
    switch (k) {
    case ShortcutAction::Kind::commandBar: return "commandBar";
    case ShortcutAction::Kind::usualLayout: return "usualLayout";
    case ShortcutAction::Kind::fill: return "fill";
    case ShortcutAction::Kind::shareSafe: return "shareSafe";
    case ShortcutAction::Kind::hideApp: return "hideApp";
    default: return nullptr;
    }
}
} // namespace

ShortcutAction ShortcutAction::layout(LayoutKind k)
{
    ShortcutAction a;
    a.kind = Kind::layout;
    a.layoutKind = k;
    return a;
}

ShortcutAction ShortcutAction::arrow(Arrow d)
{
    ShortcutAction a;
    a.kind = Kind::arrow;
    a.direction = d;
    return a;
}

ShortcutAction ShortcutAction::moveDisplay(bool right)
{
    ShortcutAction a;
    a.kind = Kind::moveDisplay;
    a.right = right;
    return a;
}

ShortcutAction ShortcutAction::snap(SnapTarget t)
{
    ShortcutAction a;
    a.kind = Kind::snap;
    a.target = t;
    return a;
}

ShortcutAction ShortcutAction::of(Kind plain)
{
    Q_ASSERT(plainName(plain));
    ShortcutAction a;
    a.kind = plain;
    return a;
}

QString ShortcutAction::id() const
{
    switch (kind) {
    case Kind::layout: return QStringLiteral("layout.") + name(layoutKind);
    case Kind::arrow: return QStringLiteral("arrow.") + name(direction);
    case Kind::moveDisplay: return right ? QStringLiteral("display.right") : QStringLiteral("display.left");
    case Kind::snap: return QStringLiteral("snap.") + name(target);
    default: return QString::fromLatin1(plainName(kind));
    }
}

const std::vector<ShortcutAction>& ShortcutAction::allCases()
{
    static const std::vector<ShortcutAction> all = [] {
        // Made once, at first use: no capacity reserved.
        std::vector<ShortcutAction> v;
        for (LayoutKind k : kAllLayoutKinds)
            v.push_back(layout(k)); // NOLINT(performance-inefficient-vector-operation)
        for (Arrow a : kAllArrows)
            v.push_back(arrow(a));
        v.push_back(moveDisplay(false));
        v.push_back(moveDisplay(true));
        for (SnapTarget t : kAllSnapTargets)
            v.push_back(snap(t));
        for (Kind k : {Kind::commandBar, Kind::usualLayout, Kind::fill, Kind::shareSafe, Kind::hideApp})
            v.push_back(of(k));
        return v;
    }();
    return all;
}

std::optional<ShortcutAction> ShortcutAction::fromId(const QString& id)
{
    for (const ShortcutAction& a : allCases())
        if (a.id() == id)
            return a;
    return std::nullopt;
}

std::optional<KeyCombo> ShortcutAction::defaultCombo(bool letterGrid) const
{
    switch (kind) {
    case Kind::layout: {
        const int i = static_cast<int>(layoutKind);
        return KeyCombo{kLayoutKeys[i], kControlOption, QString::number(i + 1)};
    }
    case Kind::arrow: return KeyCombo{kArrowKeys[static_cast<int>(direction)], kControlOption, arrowGlyph(direction)};
    case Kind::moveDisplay: {
        const Arrow a = right ? Arrow::right : Arrow::left;
        return KeyCombo{kArrowKeys[static_cast<int>(a)], kControlOption | modifier::command, arrowGlyph(a)};
    }
    case Kind::snap: {
        if (!letterGrid)
            return std::nullopt;
        const int i = static_cast<int>(target);
        return KeyCombo{kSnapKeys[i], kControlOption, QString::fromLatin1(kSnapLetters[i])};
    }
    case Kind::commandBar: return KeyCombo{kKeySpace, modifier::option, QStringLiteral("Space")};
    case Kind::usualLayout: return KeyCombo{kKey0, kControlOption, QStringLiteral("0")};
    case Kind::fill: return KeyCombo{kKeyReturn, kControlOption, QStringLiteral("↩")};
    case Kind::shareSafe: return KeyCombo{kKeyP, kControlOption | modifier::shift, QStringLiteral("P")};
    case Kind::hideApp: return KeyCombo{kKeyP, kControlOption, QStringLiteral("P")};
    }
    return std::nullopt;
}

} // namespace tavrin
