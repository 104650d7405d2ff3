#pragma once

#include "windows/arrow.h"
#include "windows/keycombo.h"
#include "windows/layoutkind.h"
#include "windows/snaptarget.h"

#include <QString>
#include <optional>
#include <vector>

namespace tavrin {

// A bindable action. Only the payload field of the action's kind means
// anything: `layoutKind` for `layout`, `direction` for `arrow`, `right` for
// `moveDisplay`, `target` for `snap`.
struct ShortcutAction {
    enum class Kind { layout, arrow, moveDisplay, snap, commandBar, usualLayout, fill, shareSafe, hideApp };

    Kind kind = Kind::commandBar;
    LayoutKind layoutKind = LayoutKind::focusCentre;
    Arrow direction = Arrow::left;
    bool right = false;
    SnapTarget target = SnapTarget::topLeft;

    static ShortcutAction layout(LayoutKind k);
    static ShortcutAction arrow(Arrow a);
    static ShortcutAction moveDisplay(bool right);
    static ShortcutAction snap(SnapTarget t);
    static ShortcutAction of(Kind plain); // commandBar, usualLayout, fill, shareSafe, hideApp

    // The stable id: "layout.halves", "arrow.left", "display.right",
    // "snap.topLeft", or the case name ("commandBar", "hideApp").
    QString id() const;
    static std::optional<ShortcutAction> fromId(const QString& id);

    // Menu order: six layouts, four arrows, display left and right, nine
    // snaps, then commandBar, usualLayout, fill, shareSafe, hideApp.
    static const std::vector<ShortcutAction>& allCases();

    // The binding that applies when the user has stored none. Snap targets
    // have theirs (the letter grid) only while `letterGrid` is on.
    std::optional<KeyCombo> defaultCombo(bool letterGrid) const;

    friend bool operator==(const ShortcutAction& a, const ShortcutAction& b) { return a.id() == b.id(); }
};

} // namespace tavrin
