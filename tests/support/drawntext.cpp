#include "support/drawntext.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QWidget>

namespace tavrin {

namespace {
// A paint engine that keeps the text it is asked to draw and draws nothing.
class TextEngine : public QPaintEngine {
public:
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    // Nothing but text is kept; the shapes are dropped (the engine's own
    // fallbacks call each other).
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawRects(const QRect*, int) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLine*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawEllipse(const QRect&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPoints(const QPointF*, int) override {}
    void drawPoints(const QPoint*, int) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
    Type type() const override { return QPaintEngine::User; }

    QStringList texts;
};

class TextDevice : public QPaintDevice {
public:
    explicit TextDevice(QSize size) : size_(size) {}
    QPaintEngine* paintEngine() const override { return &engine; }

    mutable TextEngine engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmWidthMM: return size_.width() * 254 / 960;
        case PdmHeightMM: return size_.height() * 254 / 960;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        case PdmDepth: return 32;
        default: return 0;
        }
    }

private:
    QSize size_;
};
} // namespace

QStringList DrawnText::of(QWidget& widget)
{
    TextDevice device(widget.size());
    widget.render(&device);
    QStringList texts = device.engine.texts;
    QList<QWidget*> all = widget.findChildren<QWidget*>();
    all.prepend(&widget);
    for (const QWidget* w : all)
        for (const QString& text : {w->windowTitle(), w->toolTip(), w->accessibleName(), w->accessibleDescription()})
            if (!text.isEmpty())
                texts << text;
    return texts;
}

} // namespace tavrin
