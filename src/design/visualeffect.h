#pragma once

#include "design/designwidget.h"

class QPainter;

namespace tavrin {

// The frosted backdrop of floating panels. Where the window system blurs what
// lies behind a translucent window, the view is left clear for that blur to
// show; where it cannot, the view is a solid fill of the material's colour,
// so that nothing behind shows through unblurred.
class VisualEffect : public DesignWidget {
    Q_OBJECT
public:
    enum class Material { hudWindow = 13 };
    Q_ENUM(Material)

    explicit VisualEffect(Material material = Material::hudWindow, QWidget* parent = nullptr);

    Material material() const { return material_; }

    // The solid colour standing in for the material without blur.
    static QColor solidColour(Material material, ColorScheme scheme);
    static void paint(QPainter& painter, const QRectF& rect, Material material, ColorScheme scheme, bool blur);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Material material_;
};

} // namespace tavrin
