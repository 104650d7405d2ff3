#pragma once

#include "design/designwidget.h"

class QPainter;

namespace tavrin {

// A key cap: a key or shortcut label, shown as given, on a small rounded
// face. On an accent-coloured surface (`onAccent`) it is white on a white
// veil without an outline; elsewhere muted text on `fillHover` with a
// hairline.
class Kbd : public DesignWidget {
    Q_OBJECT
public:
    static constexpr qreal kRadius = 5;
    static constexpr qreal kFontSize = 11;

    struct Look {
        QColor foreground;
        QColor fill;
        QColor outline;
    };

    explicit Kbd(const QString& text, bool onAccent = false, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    bool onAccent() const { return onAccent_; }
    void setOnAccent(bool onAccent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static Look look(const TTheme& t, bool onAccent);
    static QSizeF size(const QString& text);
    static void paint(QPainter& painter, const QRectF& rect, const QString& text, const TTheme& t, bool onAccent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    bool onAccent_;
};

} // namespace tavrin
