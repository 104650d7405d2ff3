#include "design/glowrenderer.h"

#include "design/shadowcache.h"
#include "design/squircle.h"
#include "design/stripdraw.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

namespace tavrin {

namespace {

// An opaque colour times an alpha (0..255): the premultiplied pixel, all
// four channels at once.
inline QRgb multiply(QRgb opaque, uint alpha)
{
    uint rb = (opaque & 0xff00ff) * alpha;
    rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint ag = ((opaque >> 8) & 0xff00ff) * alpha;
    ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return ag | rb;
}

// atan2 to within 0.0001 radians, several times faster than the library's:
// the glow needs a direction for every pixel each time its size changes.
inline float direction(float y, float x)
{
    const float ax = std::abs(x), ay = std::abs(y);
    const float a = std::min(ax, ay) / (std::max(ax, ay) + 1e-30f);
    const float s = a * a;
    float r = ((-0.0464964749f * s + 0.15931422f) * s - 0.327622764f) * s * a + a;
    if (ay > ax)
        r = 1.57079637f - r;
    if (x < 0)
        r = 3.14159274f - r;
    return y < 0 ? -r : r;
}

// The ring's coverage, in the pixels of the glow's image: `size` pixels whose
// top left lies at `origin` from the shape's (points).
QImage ringCoverage(QSize size, QSizeF shape, qreal cornerRadius, qreal scale, QPointF origin)
{
    QImage ring(size, QImage::Format_Alpha8);
    ring.fill(0);
    {
        QPainter p(&ring);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        p.translate(-origin);
        constexpr qreal ringWidth = GlowRenderer::kRingWidth;
        const QRectF outer = QRectF(QPointF(), shape).adjusted(-ringWidth, -ringWidth, ringWidth, ringWidth);
        Squircle::strokeInside(p, outer, cornerRadius, ringWidth, Qt::black);
    }
    return ring;
}

// Sets `line`, row `y` of the image, to 1 inside a skipped rectangle and to
// 0 elsewhere.
void markSkipped(std::vector<uchar>& line, const QList<QRect>& skip, int y)
{
    const int width = int(line.size());
    std::fill(line.begin(), line.end(), 0);
    for (const QRect& r : skip)
        if (y >= r.top() && y <= r.bottom()) {
            const int from = std::clamp(r.left(), 0, width);
            const int to = std::clamp(r.right() + 1, 0, width);
            std::fill(line.begin() + from, line.begin() + to, 1);
        }
}

} // namespace

const QList<QColor>& GlowRenderer::colours()
{
    static const QList<QColor> list = {
        QColor::fromRgbF(1.0f, 0.62f, 0.04f), QColor::fromRgbF(1.0f, 0.31f, 0.43f),
        QColor::fromRgbF(0.76f, 0.42f, 1.0f), QColor::fromRgbF(0.04f, 0.49f, 1.0f),
        QColor::fromRgbF(0.31f, 0.82f, 1.0f), QColor::fromRgbF(1.0f, 0.62f, 0.04f),
    };
    return list;
}

QConicalGradient GlowRenderer::gradient(QPointF centre, qreal angle)
{
    // Qt turns its gradients anticlockwise from their start angle; the
    // rainbow runs clockwise, so its stops are laid out from the far end.
    QConicalGradient g(centre, -angle * 180.0 / M_PI);
    const QList<QColor>& list = colours();
    const int last = int(list.size()) - 1;
    for (int i = 0; i <= last; ++i)
        g.setColorAt(1.0 - qreal(i) / last, list[i]);
    return g;
}

QRgb GlowRenderer::colourAt(qreal position)
{
    const QList<QColor>& list = colours();
    const int last = int(list.size()) - 1;
    position -= std::floor(position);
    const qreal at = position * last;
    const int i = std::min(int(at), last - 1);
    const qreal f = at - i;
    const QColor& a = list[i];
    const QColor& b = list[i + 1];
    auto mix = [f](float x, float y) { return int(std::lround((x + (y - x) * f) * 255)); };
    return qRgb(mix(a.redF(), b.redF()), mix(a.greenF(), b.greenF()), mix(a.blueF(), b.blueF()));
}

qreal GlowRenderer::reach() { return kHaloGrowth + ShadowCache::reach(kHaloBlur); }

void GlowRenderer::prepare(const QRectF& shape, qreal cornerRadius, qreal scale, const QList<QRectF>& covered)
{
    // Asked on every frame: the same field is recognised without a copy.
    auto sameCover = [&](const QList<QRectF>& known) {
        qsizetype i = 0;
        for (const QRectF& r : covered) {
            if (r.isEmpty())
                continue;
            if (i >= known.size() || known[i] != r.translated(-shape.topLeft()))
                return false;
            ++i;
        }
        return i == known.size();
    };
    const Shape* known = field_.shape.get();
    if (known && known->size == shape.size() && known->radius == cornerRadius && known->scale == scale
        && sameCover(known->covered))
        return;
    QList<QRectF> relativeCover;
    for (const QRectF& r : covered)
        if (!r.isEmpty())
            relativeCover.append(r.translated(-shape.topLeft()));
    Field f;
    f.keep = field_.keep;
    f.shape = shapeFor(shape.size(), cornerRadius, scale, relativeCover);
    f.image = QImage(f.shape->pixels, QImage::Format_ARGB32_Premultiplied);
    f.image.fill(Qt::transparent);
    f.image.setDevicePixelRatio(scale);
    field_ = std::move(f);
}

std::shared_ptr<const GlowRenderer::Shape> GlowRenderer::shapeFor(QSizeF size, qreal cornerRadius, qreal scale,
                                                                  const QList<QRectF>& covered)
{
    // The few sizes drawn last, the latest first: glows on screen at once
    // are few, and a view that comes back comes back at its size.
    static std::vector<std::shared_ptr<const Shape>> recent;
    constexpr size_t kKept = 4;
    for (auto it = recent.begin(); it != recent.end(); ++it) {
        const Shape& s = **it;
        if (s.size == size && s.radius == cornerRadius && s.scale == scale && s.covered == covered) {
            std::rotate(recent.begin(), it, it + 1);
            return recent.front();
        }
    }
    auto f = std::make_shared<Shape>();
    f->size = size;
    f->radius = cornerRadius;
    f->scale = scale;
    f->covered = covered;
    const qreal haloRadius = std::max<qreal>(0, cornerRadius) + kHaloGrowth;
    const QSizeF halo = size + QSizeF(2 * kHaloGrowth, 2 * kHaloGrowth);
    const QImage mask = ShadowCache::image(halo, haloRadius, kHaloBlur, Qt::black, scale);
    const qreal margin = std::ceil(ShadowCache::reach(kHaloBlur) * scale) / scale;
    f->origin = QPointF(-kHaloGrowth - margin, -kHaloGrowth - margin);
    f->pixels = mask.size();

    const QImage ring = ringCoverage(mask.size(), size, cornerRadius, scale, f->origin);
    // In pixels of the image: the shape's centre, and the covered parts
    // (shrunk to whole pixels that lie inside).
    const QPointF centre = (QPointF(size.width() / 2, size.height() / 2) - f->origin) * scale;
    QList<QRect> skip;
    for (const QRectF& r : covered)
        skip.append(QRectF((r.topLeft() - f->origin) * scale, r.size() * scale).toAlignedRect().adjusted(1, 1, -1, -1));
    collectRuns(*f, mask, ring, skip, centre);
    f->drawnPoints = QRectF(QPointF(f->drawn.topLeft()) / scale + f->origin, QSizeF(f->drawn.size()) / scale);
    recent.insert(recent.begin(), std::move(f));
    if (recent.size() > kKept)
        recent.pop_back();
    return recent.front();
}

void GlowRenderer::collectRuns(Shape& f, const QImage& mask, const QImage& ring, const QList<QRect>& skip,
                               QPointF centre)
{
    const int width = mask.width();
    const int height = mask.height();
    const size_t most = size_t(width) * size_t(height);
    f.halo.reserve(most);
    f.ring.reserve(most);
    f.direction.reserve(most);
    const float turnsPerRadian = float(kTurn / (2 * M_PI));
    std::vector<uchar> skipLine(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        const auto* haloLine = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        const uchar* ringLine = ring.constScanLine(y);
        markSkipped(skipLine, skip, y);
        auto wanted = [&](int x) {
            return (qAlpha(haloLine[x]) >= kHaloFloor || ringLine[x] != 0) && !skipLine[size_t(x)];
        };
        const float dy = float(y + 0.5 - centre.y());
        int x = 0;
        while (x < width) {
            while (x < width && !wanted(x))
                ++x;
            const int start = x;
            while (x < width && wanted(x))
                ++x;
            if (x == start)
                continue;
            f.runs.push_back({y, start, x - start, f.halo.size()});
            f.drawn |= QRect(start, y, x - start, 1);
            for (int i = start; i < x; ++i) {
                f.halo.push_back(uchar(qAlpha(haloLine[i])));
                f.ring.push_back(ringLine[i]);
                // Clockwise on screen from +x; shifted by a whole turn to stay
                // positive before rounding.
                const float phi = direction(dy, float(i + 0.5 - centre.x()));
                f.direction.push_back(quint16(std::lround(phi * turnsPerRadian + kTurn) & (kTurn - 1)));
            }
        }
    }
}

QRectF GlowRenderer::imageRect(const QRectF& shape) const
{
    if (field_.image.isNull())
        return {};
    return QRectF(shape.topLeft() + field_.shape->origin, QSizeF(field_.image.size()) / field_.shape->scale);
}

bool GlowRenderer::hasCover(quint64 key) const { return key != 0 && field_.coverKey == key; }

void GlowRenderer::setCover(const QImage& cover, quint64 key)
{
    QImage& image = field_.image;
    if (image.isNull())
        return;
    const bool had = field_.covering;
    const bool valid = cover.size() == image.size() && cover.format() == QImage::Format_ARGB32_Premultiplied;
    if (!valid && !had)
        return; // no cover before or after
    field_.kept.clear();
    field_.cover.clear();
    field_.through.clear();
    field_.coverKey = 0;
    field_.covering = false;
    if (!valid) {
        image.fill(Qt::transparent);
        field_.haloOpacity = -1;
        field_.filledTurn = -1;
        return;
    }
    field_.covering = true;
    field_.filledTurn = -1;
    // Outside the runs the cover stands alone; inside them a frame lays it
    // over the turning glow.
    for (int y = 0; y < image.height(); ++y)
        std::copy_n(cover.constScanLine(y), image.width() * 4, image.scanLine(y));
    field_.cover.reserve(field_.shape->halo.size());
    field_.through.reserve(field_.shape->halo.size());
    for (const Shape::Run& run : field_.shape->runs) {
        const auto* line = reinterpret_cast<const QRgb*>(cover.constScanLine(run.y)) + run.x;
        for (int i = 0; i < run.length; ++i) {
            field_.cover.push_back(line[i]);
            field_.through.push_back(uchar(255 - qAlpha(line[i])));
        }
    }
    field_.coverKey = key;
    field_.haloOpacity = -1; // the alphas take in what the cover lets through
}

QRectF GlowRenderer::drawnBounds(const QRectF& shape) const
{
    if (field_.image.isNull() || field_.shape->size != shape.size())
        return {};
    return field_.shape->drawnPoints.translated(shape.topLeft());
}

void GlowRenderer::combine(qreal haloOpacity, qreal ringOpacity)
{
    const qreal h = std::clamp<qreal>(haloOpacity, 0, 1);
    const qreal r = std::clamp<qreal>(ringOpacity, 0, 1);
    if (field_.haloOpacity == h && field_.ringOpacity == r && field_.alpha.size() == field_.shape->halo.size())
        return;
    // Each mask's alpha at its opacity, as tables.
    std::array<uint, 256> haloScale, ringScale;
    for (uint i = 0; i < 256; ++i) {
        haloScale[i] = uint(std::lround(i * h));
        ringScale[i] = uint(std::lround(i * r));
    }
    field_.alpha.resize(field_.shape->halo.size());
    const bool covered = field_.covering;
    for (size_t i = 0; i < field_.shape->halo.size(); ++i) {
        // The ring over the halo, both of the same colour.
        const uint ra = ringScale[field_.shape->ring[i]];
        const uint ha = haloScale[field_.shape->halo[i]];
        const uint t = ha * (255 - ra) + 128;
        uint a = ra + ((t + (t >> 8)) >> 8);
        // Under a cover only what it lets through shows.
        if (covered) {
            const uint u = a * field_.through[i];
            a = (u + (u >> 8) + 0x80) >> 8;
        }
        field_.alpha[i] = uchar(a);
    }
    field_.haloOpacity = h;
    field_.ringOpacity = r;
    field_.filledTurn = -1;
    field_.kept.clear();
}

void GlowRenderer::keepFrames(int count)
{
    field_.keep = std::max(0, count);
    if (int(field_.kept.size()) > field_.keep) {
        field_.kept.resize(size_t(field_.keep));
        field_.kept.shrink_to_fit();
    }
}

void GlowRenderer::copyRuns(std::vector<QRgb>& kept, bool toImage)
{
    QImage& image = field_.image;
    const int bpl = int(image.bytesPerLine());
    uchar* bits = image.bits();
    for (const Shape::Run& run : field_.shape->runs) {
        auto* line = reinterpret_cast<QRgb*>(bits + qsizetype(run.y) * bpl) + run.x;
        QRgb* frame = kept.data() + run.offset;
        if (toImage)
            std::copy_n(frame, run.length, line);
        else
            std::copy_n(line, run.length, frame);
    }
}

const std::vector<QRgb>& GlowRenderer::shades()
{
    // The rainbow's colours in its kTurn directions, premultiplied at each
    // of 256 alphas: a frame only looks each pixel's colour up.
    static const std::vector<QRgb> table = [] {
        std::vector<QRgb> t(size_t(256) * kTurn);
        for (int k = 0; k < kTurn; ++k) {
            const QRgb colour = colourAt(qreal(k) / kTurn);
            for (uint a = 0; a < 256; ++a)
                t[size_t(a) * kTurn + size_t(k)] = multiply(colour, a);
        }
        return t;
    }();
    return table;
}

void GlowRenderer::fill(qreal angle, qreal haloOpacity, qreal ringOpacity)
{
    const QRgb* shade = shades().data();
    combine(haloOpacity, ringOpacity);
    const uint turn = uint(int(std::lround(angle / (2 * M_PI) * kTurn)) & (kTurn - 1));
    if (field_.filledTurn == int(turn))
        return;
    field_.filledTurn = int(turn);
    for (Field::Kept& k : field_.kept)
        if (k.turn == int(turn)) {
            copyRuns(k.pixels, true);
            return;
        }
    QImage& image = field_.image;
    const int bpl = int(image.bytesPerLine());
    uchar* bits = image.bits();
    const bool covered = field_.covering;
    for (const Shape::Run& run : field_.shape->runs) {
        auto* out = reinterpret_cast<QRgb*>(bits + qsizetype(run.y) * bpl) + run.x;
        const uchar* alpha = field_.alpha.data() + run.offset;
        const quint16* d = field_.shape->direction.data() + run.offset;
        auto at = [&](int i) { return shade[(uint(alpha[i]) << kTurnBits) | ((d[i] - turn) & (kTurn - 1))]; };
        if (covered) {
            // The cover, plus the glow as much as it lets through (a
            // premultiplied pixel over another: the channels never carry).
            const QRgb* over = field_.cover.data() + run.offset;
            for (int i = 0; i < run.length; ++i)
                out[i] = over[i] + at(i);
        } else {
            for (int i = 0; i < run.length; ++i)
                out[i] = at(i);
        }
    }
    const size_t bytes = field_.shape->halo.size() * sizeof(QRgb);
    if (int(field_.kept.size()) < field_.keep && (field_.kept.size() + 1) * bytes <= kKeptBytes) {
        field_.kept.push_back({int(turn), std::vector<QRgb>(field_.shape->halo.size())});
        copyRuns(field_.kept.back().pixels, false);
    }
}

void GlowRenderer::paint(QPainter& painter, const QRectF& shape, qreal cornerRadius, qreal angle, qreal haloOpacity,
                         qreal opacity, const QList<QRectF>& covered, const QRegion& region)
{
    if (shape.isEmpty())
        return;
    prepare(shape, cornerRadius, ShadowCache::deviceScale(painter), covered);
    // A covered glow owns its pixels: the cover shows even where the glow
    // has faded out.
    const bool owned = field_.covering;
    if (!owned && !(opacity > 0))
        return;
    opacity = std::max<qreal>(0, opacity);
    fill(angle, haloOpacity * opacity, opacity);
    const QPointF at = shape.topLeft() + field_.shape->origin;
    const QPainter::CompositionMode mode = painter.compositionMode();
    if (owned)
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (region.isEmpty())
        painter.drawImage(at, field_.image);
    else
        StripDraw::image(painter, at, field_.image, region);
    painter.setCompositionMode(mode);
}

} // namespace tavrin
