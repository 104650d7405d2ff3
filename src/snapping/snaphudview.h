#pragma once

#include <QPointer>
#include <QWidget>

namespace tavrin {

class ArrowPadView;
class SnapGridView;
class SnapHUDController;
class TGlass;

// The snap overlay's view: the snap grid while the controller's `letters` is
// on, else the arrow pad, on glass with a 20-point corner radius, inside a
// clear margin for the glass's shadow. Everything it shows follows the
// controller's published state; a change of face starts the new one afresh.
class SnapHUDView : public QWidget {
    Q_OBJECT
public:
    SnapHUDView(SnapHUDController& hud, int margin, QWidget* parent = nullptr);

    // The face shown now; the other is null.
    SnapGridView* grid() const;
    ArrowPadView* pad() const;
    TGlass* glass() const { return glass_; }

private:
    void showFace();

    SnapHUDController& hud_;
    TGlass* glass_;
    QPointer<QWidget> face_;
};

} // namespace tavrin
