#pragma once

#include <QColor>
#include <QConicalGradient>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QRegion>
#include <memory>
#include <vector>

class QPainter;

namespace tavrin {

// Draws one frame of the planner glow around a shape: a soft halo (the
// shape grown by 10 points, corner radius 10 larger, filled with the rainbow
// and blurred with radius 22) and a 1.5-point rainbow ring just outside the
// shape's edge.
//
// Nothing is blurred or stroked per frame. The blur is linear and the
// rainbow changes slowly across the halo, so the blurred rainbow is the
// rainbow masked by the blurred shape. Halo and ring share the rainbow, so
// each pixel of the glow is the rainbow's colour in its direction from the
// centre, at the halo's and the ring's alpha combined. Alphas and directions
// are worked out once per size, and the rainbow once at every alpha; a frame
// only looks each pixel's colour up in its turned direction and draws the
// result in one go. Pixels that the caller covers opaquely are skipped.
class GlowRenderer {
public:
    static constexpr qreal kHaloGrowth = 10;
    static constexpr qreal kHaloBlur = 22;
    static constexpr qreal kRingWidth = 1.5;
    // Halo pixels fainter than this (of 255, before the halo's opacity)
    // are left out: at most a per cent or two of colour that no one sees,
    // and a quarter of the pixels each frame would otherwise draw.
    static constexpr int kHaloFloor = 6;

    // Orange, pink, violet, blue, cyan, and orange again to close the ring.
    static const QList<QColor>& colours();
    // The rainbow turned by `angle` (radians, clockwise on screen), centred
    // at `centre`: the first colour lies at `angle`, the others follow
    // clockwise.
    static QConicalGradient gradient(QPointF centre, qreal angle);
    // The rainbow's colour at a fraction of the turn, 0 to 1 (clockwise from
    // the first colour).
    static QRgb colourAt(qreal position);
    // How far the glow reaches beyond the shape, in points.
    static qreal reach();
    // What the last drawing around a shape of this size covered, placed at
    // this shape; empty before the first drawing at this size.
    QRectF drawnBounds(const QRectF& shape) const;

    // Draws halo and ring; `opacity` scales both (fading in and out),
    // `haloOpacity` the halo alone. The halo is left out inside `covered`
    // (parts of the shape the caller covers opaquely). With a region, only
    // what lies in it is drawn (whole points, the painter's coordinates).
    // With a cover (`setCover`) every pixel of the region is drawn: the glow
    // with the cover over it, replacing what was there.
    void paint(QPainter& painter, const QRectF& shape, qreal cornerRadius, qreal angle, qreal haloOpacity,
               qreal opacity = 1, const QList<QRectF>& covered = {}, const QRegion& region = {});

    // Works out the glow's pixels for a shape of this size (`paint` does it
    // when they are not ready).
    void prepare(const QRectF& shape, qreal cornerRadius, qreal scale, const QList<QRectF>& covered);
    // Where the glow's pixels lie around `shape` once prepared (the
    // painter's coordinates, whole pixels at the scale prepared).
    QRectF imageRect(const QRectF& shape) const;
    // What lies over the glow (what a content draws over it): an image of
    // `imageRect`'s pixels, premultiplied, kept under `key` until the glow
    // is prepared for another size or another cover is set; a null image
    // takes the cover away.
    bool hasCover(quint64 key) const;
    void setCover(const QImage& cover, quint64 key);

    // Keeps the frames of up to `count` turns as they are drawn, so that a
    // turn that comes back (an idle glow's steps, round and round) is
    // copied rather than worked out again; 0 keeps none and lets go of those
    // kept. Kept frames last while the glow's size, scale, opacities and
    // cover stay; together they take at most `kKeptBytes`.
    void keepFrames(int count);
    int keptFrames() const { return int(field_.kept.size()); }
    static constexpr size_t kKeptBytes = size_t(24) << 20;

private:
    // The glow's pixels for one size: where it has any alpha, the halo's and
    // the ring's alpha and the direction from the centre. Worked out once
    // for each size and shared by the renderers that draw at it (a view
    // built afresh for the same size, such as the command bar on each open,
    // does not work them out again).
    struct Shape {
        QSizeF size;
        qreal radius = -1;
        qreal scale = 0;
        QList<QRectF> covered; // relative to the shape's top left
        QPointF origin;        // the image's top left relative to the shape's, points
        QSize pixels;          // the image's size
        struct Run {
            int y;
            int x;
            int length;
            size_t offset; // into the alphas and directions
        };
        std::vector<Run> runs;
        QRect drawn;        // the runs' bounds, pixels of the image
        QRectF drawnPoints; // the same relative to the shape's top left, points
        std::vector<uchar> halo;
        std::vector<uchar> ring;
        std::vector<quint16> direction; // 0..kTurn-1, clockwise from +x
    };
    // One renderer's frame over a shape.
    struct Field {
        std::shared_ptr<const Shape> shape;
        QImage image; // the frame, ARGB32 premultiplied
        // Halo and ring combined at the opacities last drawn: only a fade
        // changes them, so a turning frame only looks the colours up.
        std::vector<uchar> alpha;
        qreal haloOpacity = -1;
        qreal ringOpacity = -1;
        // The cover's pixels in the runs, and how much of the glow shows
        // through each (255 less its alpha); empty without a cover.
        std::vector<QRgb> cover;
        std::vector<uchar> through;
        quint64 coverKey = 0;
        bool covering = false; // the image holds a cover
        // The turn the image was last filled at, with these alphas and this
        // cover; -1 when it must be filled again. A repaint of a glow that
        // has not moved (of something over it, a caret) only draws it.
        int filledTurn = -1;
        // The runs' pixels at the turns drawn since these alphas and this
        // cover, up to `keep` of them.
        struct Kept {
            int turn;
            std::vector<QRgb> pixels;
        };
        std::vector<Kept> kept;
        int keep = 0;
    };
    static constexpr int kTurnBits = 10;
    static constexpr int kTurn = 1 << kTurnBits;
    static const std::vector<QRgb>& shades();

    // The shape's pixels for this size, from those recently worked out or
    // anew (`covered` relative to the shape's top left, none empty).
    static std::shared_ptr<const Shape> shapeFor(QSizeF size, qreal cornerRadius, qreal scale,
                                                 const QList<QRectF>& covered);
    // Fills `f`'s runs, alphas and directions: the pixels where the halo `mask` or the `ring` shows, outside `skip`.
    static void collectRuns(Shape& f, const QImage& mask, const QImage& ring, const QList<QRect>& skip, QPointF centre);
    void fill(qreal angle, qreal haloOpacity, qreal ringOpacity);
    void combine(qreal haloOpacity, qreal ringOpacity);
    // Copies the runs' pixels between the image and a kept frame.
    void copyRuns(std::vector<QRgb>& kept, bool toImage);

    Field field_;
};

} // namespace tavrin
