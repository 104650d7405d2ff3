#include "design/windowtranslucency.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <gtest/gtest.h>

using namespace tavrin;

TEST(WindowTranslucency, KeepsTheCardAndDropsTheClearMarginAndFaintHalo)
{
    QImage rendered(100, 60, QImage::Format_ARGB32_Premultiplied);
    rendered.fill(Qt::transparent);
    QPainter p(&rendered);
    p.fillRect(QRect(10, 10, 80, 40), QColor(0, 0, 0, 60)); // a faint halo
    p.fillRect(QRect(20, 20, 60, 20), QColor(30, 30, 30, 250)); // the card
    p.end();

    const QRegion kept(WindowTranslucency::visibleShape(rendered));
    EXPECT_EQ(kept, QRegion(20, 20, 60, 20));
}
