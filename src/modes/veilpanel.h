#pragma once

#include "platform/veilsurfaces.h"

#include <QString>
#include <QWidget>
#include <memory>

namespace tavrin {

class ShareSafe;
class ShortcutStore;
class VeilLabel;

// A veil: what the user and the audience of a screen share see instead of a
// private window. A click-through surface that is never focused and keeps
// any frame it is given, past a screen's edge or across two screens. Where
// the window system blurs behind windows it shows a blur of what lies
// behind, with rounded corners; elsewhere it is an opaque fill of the
// design system's glass colour, never translucent, since a translucent veil
// would show the window it covers. A `VeilLabel` stands in its middle.
class VeilPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr double kCornerRadius = 10;

    // A hidden veil labelled for `app` over the window numbered `covered`,
    // on a surface made by `surfaces`, its label naming the keys bound in
    // `shortcuts`; `share` and `shortcuts` must outlive it.
    VeilPanel(const QString& app, const ShareSafe& share, const ShortcutStore& shortcuts, VeilSurfaces& surfaces,
              std::uint32_t covered = 0);
    // The opaque fill of a veil.
    static QColor fill(const QWidget* widget = nullptr);
    ~VeilPanel() override;

    VeilLabel* label() const { return label_; }
    // Its frame, level and place among the windows.
    VeilSurface& surface() { return *surface_; }
    const VeilSurface& surface() const { return *surface_; }
    // What lies behind it is blurred by the window system (else it is opaque).
    bool blursBehind() const { return blur_; }
    // Its corners are rounded off (where translucent parts are shown).
    bool translucent() const { return translucent_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    VeilLabel* label_ = nullptr;
    std::unique_ptr<VeilSurface> surface_;
    bool translucent_ = false;
    bool blur_ = false;
};

} // namespace tavrin
