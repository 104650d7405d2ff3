#pragma once

#include "design/designwidget.h"

#include <QSizeF>

class QPainter;

namespace tavrin {

// A key cap: a key or shortcut label, shown as given, on a small rounded
// face. On an accent-coloured surface (`onAccent`) it is white on a white
// veil without an outline; elsewhere muted text on `fillHover` with a
// hairline. A key another program holds (`taken`) is drawn in the danger
// colour on a faint wash of it, behind a warning mark, and says so in its
// tooltip.
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
    bool taken() const { return taken_; }
    void setTaken(bool taken);
    static QString takenToolTip() { return tr("Taken by another app"); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static Look look(const TTheme& t, bool onAccent, bool taken = false);
    static QSizeF size(const QString& text, bool taken = false);
    // The warning mark of a taken key: a triangle in `colour` with an
    // exclamation mark cut out, filling `box` (kMarkSize).
    static constexpr QSizeF kMarkSize{10, 9};
    static void paintTakenMark(QPainter& painter, const QRectF& box, const QColor& colour);
    static void paint(QPainter& painter, const QRectF& rect, const QString& text, const TTheme& t, bool onAccent,
                      bool taken = false);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    bool onAccent_;
    bool taken_ = false;
};

} // namespace tavrin
