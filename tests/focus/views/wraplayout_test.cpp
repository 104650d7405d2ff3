#include "focus/views/wraplayout.h"

#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

namespace tavrin {
namespace {

QList<QSizeF> sizes(int count, QSizeF size) { return QList<QSizeF>(count, size); }

QList<QPointF> origins(const WrapLayout::Arrangement& a)
{
    QList<QPointF> out;
    for (const QRectF& frame : a.frames)
        out << frame.topLeft();
    return out;
}

TEST(WrapLayout, NothingToPlaceTakesTheWidthAndNoHeight)
{
    EXPECT_EQ(WrapLayout::arrange({}, 320, 6).size, QSizeF(320, 0));
    EXPECT_EQ(WrapLayout::arrange({}, std::nullopt, 6).size, QSizeF(500, 0));
}

TEST(WrapLayout, FillsLinesGreedilyAndWrapsAtTheWidth)
{
    const auto placed = WrapLayout::arrange(sizes(5, {60, 20}), 200, 6);
    EXPECT_EQ(origins(placed), (QList<QPointF>{{0, 0}, {66, 0}, {132, 0}, {0, 26}, {66, 26}}));
    EXPECT_EQ(placed.size, QSizeF(200, 46));
    // Items keep their ideal size.
    for (const QRectF& frame : placed.frames)
        EXPECT_EQ(frame.size(), QSizeF(60, 20));
}

TEST(WrapLayout, OnlyTheItemItselfIsTestedAgainstTheEdge)
{
    // 60 + 6 + 60 + 6 + 60 = 192: the third ends exactly at a width of 192.
    EXPECT_EQ(origins(WrapLayout::arrange(sizes(3, {60, 20}), 192, 6)), (QList<QPointF>{{0, 0}, {66, 0}, {132, 0}}));
    // One point less and it wraps.
    EXPECT_EQ(origins(WrapLayout::arrange(sizes(3, {60, 20}), 191, 6)).last(), QPointF(0, 26));
}

TEST(WrapLayout, AnOversizedItemStaysOnItsLineAndTheNextWraps)
{
    const auto placed = WrapLayout::arrange({{300, 20}, {40, 20}, {300, 10}}, 200, 6);
    EXPECT_EQ(origins(placed), (QList<QPointF>{{0, 0}, {0, 26}, {0, 52}}));
    EXPECT_EQ(placed.size.height(), 62);
}

TEST(WrapLayout, ALineIsAsTallAsItsTallestItemAndItemsShareTheTop)
{
    const auto placed = WrapLayout::arrange({{50, 10}, {50, 30}, {50, 18}, {150, 12}}, 200, 6);
    EXPECT_EQ(origins(placed), (QList<QPointF>{{0, 0}, {56, 0}, {112, 0}, {0, 36}}));
    EXPECT_EQ(placed.size.height(), 48);
}

TEST(WrapLayout, TheQtLayoutPlacesWidgetsAsMeasured)
{
    QWidget host;
    auto* layout = new WrapLayout(6, &host);
    QList<QWidget*> items;
    for (int i = 0; i < 5; ++i) {
        auto* item = new QWidget;
        item->setFixedSize(60, 20);
        layout->addWidget(item);
        items << item;
    }
    EXPECT_EQ(layout->heightForWidth(200), 46);
    layout->setGeometry(QRect(10, 5, 200, 46));
    EXPECT_EQ(items.at(2)->geometry(), QRect(142, 5, 60, 20));
    EXPECT_EQ(items.at(3)->geometry(), QRect(10, 31, 60, 20));
    // A hidden item takes no room.
    items.at(0)->hide();
    layout->invalidate();
    EXPECT_EQ(layout->heightForWidth(200), 46);
    EXPECT_EQ(layout->heightForWidth(260), 20);
}

} // namespace
} // namespace tavrin
