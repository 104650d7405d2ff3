#pragma once

#include "design/designwidget.h"

#include <QIcon>

class QPainter;

namespace tavrin {

// An application shown by its icon, `size` points square; when no icon is
// found, a rounded letter tile: the name's first character in white on a
// colour picked from the name.
class AppTile : public DesignWidget {
    Q_OBJECT
public:
    AppTile(const QString& app, qreal size, QWidget* parent = nullptr);

    QString app() const { return app_; }

    QSize sizeHint() const override;

    // h = (h × 31 + c) mod 65536 over the name's Unicode scalars, from 0.
    static int letterHash(const QString& name);
    // Entry letterHash mod 8 of the letter-tile palette.
    static QColor letterColour(const QString& name);
    // The first character (a whole grapheme), upper-cased; empty for an
    // empty name.
    static QString letter(const QString& name);
    static const QList<QColor>& palette();
    static void paint(QPainter& painter, const QRectF& rect, const QString& app, const QIcon& icon);

protected:
    void paintEvent(QPaintEvent* event) override;
    void environmentChanged() override;

private:
    void findIcon();

    QString app_;
    qreal size_;
    QIcon icon_;
};

} // namespace tavrin
