#pragma once

#include "design/designwidget.h"

#include <QMargins>
#include <QPointer>

namespace tavrin {

// The base of views that draw around a content view (glass, glow, shadows):
// the content is laid out inside this widget less the outsets, and the
// outsets are the room this view may draw into beyond the content's edge
// (a shadow, a halo). Without outsets whatever reaches beyond is cut off at
// the widget's edge.
class Surface : public DesignWidget {
    Q_OBJECT
public:
    explicit Surface(QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    // Takes the content into this widget; a previous content is deleted.
    void setContent(QWidget* content);

    QMargins outsets() const { return outsets_; }
    void setOutsets(const QMargins& outsets);
    void setOutset(int all) { setOutsets(QMargins(all, all, all, all)); }

    // The shape this view draws around, in its own coordinates: the shape of
    // a content that is itself a surface, else the content's rectangle, else
    // the widget less its outsets.
    QRectF shapeRect() const;

    // Whether the shape is covered opaquely, so that what lies behind its
    // middle never shows.
    virtual bool coversShapeOpaquely() const;

private:
    QPointer<QWidget> content_;
    QMargins outsets_;
};

} // namespace tavrin
