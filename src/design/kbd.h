#pragma once

#include "design/designwidget.h"

#include <QSizeF>

class QPainter;

namespace tavrin {

// Key caps: one small rounded face per key of a combination ("Ctrl" "Alt"
// "←"), each label shown as given. On an accent-coloured surface (`onAccent`) it is white on a white
// veil without an outline; elsewhere muted text on `fillHover` with a
// hairline. A key another program holds (`taken`) is drawn in the danger
// colour on a faint wash of it, behind a warning mark, and says so in its
// tooltip.
class Kbd : public DesignWidget {
    Q_OBJECT
public:
    static constexpr qreal kRadius = 5;
    static constexpr qreal kFontSize = 11;
    static constexpr qreal kCapGap = 3; // between the caps of one combination

    struct Look {
        QColor foreground;
        QColor fill;
        QColor outline;
    };

    explicit Kbd(const QString& key, bool onAccent = false, QWidget* parent = nullptr);
    explicit Kbd(const QStringList& keys, bool onAccent = false, QWidget* parent = nullptr);

    QStringList keys() const { return keys_; }
    // The keys in running text ("Ctrl+Alt+←").
    QString text() const;
    void setKeys(const QStringList& keys);
    bool onAccent() const { return onAccent_; }
    bool taken() const { return taken_; }
    void setTaken(bool taken);
    static QString takenToolTip() { return tr("Taken by another app"); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static Look look(const TTheme& t, bool onAccent, bool taken = false);
    // The caps of `keys` side by side; a taken combination's mark leads the
    // first cap.
    static QSizeF size(const QStringList& keys, bool taken = false);
    // The warning mark of a taken key: a triangle in `colour` with an
    // exclamation mark cut out, filling `box` (kMarkSize).
    static constexpr QSizeF kMarkSize{10, 9};
    static void paintTakenMark(QPainter& painter, const QRectF& box, const QColor& colour);
    // Paints the caps from the left of `rect`, centred in its height.
    static void paint(QPainter& painter, const QRectF& rect, const QStringList& keys, const TTheme& t, bool onAccent,
                      bool taken = false);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static QSizeF capSize(const QString& key, bool taken);

    QStringList keys_;
    bool onAccent_;
    bool taken_ = false;
};

} // namespace tavrin
