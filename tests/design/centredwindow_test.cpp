#include "design/centredwindow.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(CentredWindow, CentresInTheAreaAndKeepsTheTitleBarInside)
{
    struct Case {
        QSize size;
        QRect area;
        QPoint origin;
    };
    for (const Case& c : {
             Case{{560, 476}, {0, 0, 3440, 1440}, {1440, 482}}, Case{{560, 476}, {1720, 0, 1720, 1440}, {2300, 482}},
             Case{{560, 476}, {-1920, 30, 1920, 1050}, {-1240, 317}}, // left of the primary, under a panel
             Case{{900, 1200}, {0, 24, 800, 576}, {0, 24}},           // larger than the area
         }) {
        SCOPED_TRACE(testing::Message() << c.area.x() << "," << c.area.y());
        EXPECT_EQ(CentredWindow::origin(c.size, c.area), c.origin);
    }
}

} // namespace
} // namespace tavrin
