#pragma once

#include <QWidget>
#include <functional>

namespace tavrin {

// The band a glow repaints on each of its frames, as a widget of its own laid
// over the glow and its content: masked to the band, it draws every pixel of
// it itself (the glow with the content's own drawing there laid over it), so
// that a frame paints and flushes this one widget and nothing beneath it is
// drawn again. Takes no clicks.
class GlowBand : public QWidget {
    Q_OBJECT
public:
    using Paint = std::function<void(QPainter&, const QRegion&)>;

    // `paint` draws the band's pixels within a region (this widget's coordinates).
    GlowBand(Paint paint, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Paint paint_;
};

} // namespace tavrin
