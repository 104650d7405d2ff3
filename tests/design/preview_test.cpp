#include "designfixture.h"

#include "design/displaypreview.h"
#include "design/environment.h"
#include "design/miniwindow.h"
#include "design/miniwindowmodel.h"
#include "design/wallpaper.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

using namespace tavrin;
using namespace tavrin::test;
using Model = MiniWindowModel;

TEST(MiniWindowModel, KindMatchesWholeLowerCasedNames)
{
    EXPECT_EQ(Model::kind("Xcode"), Model::Kind::codeEditor);
    EXPECT_EQ(Model::kind("Visual Studio Code"), Model::Kind::codeEditor);
    EXPECT_EQ(Model::kind("IntelliJ IDEA"), Model::Kind::codeEditor);
    EXPECT_EQ(Model::kind("iTerm2"), Model::Kind::terminal);
    EXPECT_EQ(Model::kind("WezTerm"), Model::Kind::terminal);
    // A further word matches nothing.
    EXPECT_EQ(Model::kind("Visual Studio Code - Insiders"), Model::Kind::generic);
    EXPECT_EQ(Model::kind("IntelliJ IDEA CE"), Model::Kind::generic);
    EXPECT_EQ(Model::kind("Code "), Model::Kind::generic);
    EXPECT_EQ(Model::kind(""), Model::Kind::generic);
    EXPECT_EQ(Model::kind("Safari"), Model::Kind::generic);
}

TEST(MiniWindowModel, SeedIsTheSumOfScalarsAsWritten)
{
    EXPECT_EQ(Model::seed("Xcode"), 499);
    EXPECT_EQ(Model::seed("xcode"), 531);
    EXPECT_EQ(Model::seed(""), 0);
    // One scalar outside the basic plane counts once, not as two halves.
    EXPECT_EQ(Model::seed(QString::fromUtf8("\xF0\x9F\x98\x80")), 0x1F600);
}

TEST(MiniWindowModel, LineCountFitsTheHeightWithinLimits)
{
    // Small: (h - 9 - 6) / 4, at least 1, at most 16.
    EXPECT_EQ(Model::lineCount(10, false), 1);
    EXPECT_EQ(Model::lineCount(-50, false), 1);
    EXPECT_EQ(Model::lineCount(qQNaN(), false), 1);
    EXPECT_EQ(Model::lineCount(15 + 4 * 5 + 3.9, false), 5);
    EXPECT_EQ(Model::lineCount(1000, false), 16);
    // Large: (h - 20 - 16) / 9, at most 24.
    EXPECT_EQ(Model::lineCount(36 + 9 * 7, true), 7);
    EXPECT_EQ(Model::lineCount(2000, true), 24);
}

TEST(MiniWindowModel, CodeLinesFromTheSeed)
{
    const Model::Metrics& m = Model::metrics(false);
    const TTheme& t = TTheme::dark();
    const QList<Model::Bar> line0 = Model::line(Model::Kind::codeEditor, 499, 0, 200, m, t);
    ASSERT_EQ(line0.size(), 2);
    // Indent 499 mod 3 = 1 → 5 %; widths (499 mod 14 + 8) = 17 % and
    // (1497 mod 22 + 10) = 11 %; colours 499 mod 4 = 3 and 0.
    EXPECT_DOUBLE_EQ(line0[0].x, 10);
    EXPECT_DOUBLE_EQ(line0[0].width, 34);
    EXPECT_EQ(line0[0].colour, QColor(247, 140, 108));
    EXPECT_DOUBLE_EQ(line0[1].x, 10 + 34 + 2);
    EXPECT_DOUBLE_EQ(line0[1].width, 22);
    EXPECT_EQ(line0[1].colour, QColor(199, 146, 234));

    const QList<Model::Bar> line3 = Model::line(Model::Kind::codeEditor, 499, 3, 200, m, t);
    // Indent (499 + 15) mod 3 = 1; widths (520 mod 14 + 8) = 10 %, (1530 mod 22 + 10) = 22 %.
    EXPECT_DOUBLE_EQ(line3[0].x, 10);
    EXPECT_DOUBLE_EQ(line3[0].width, 20);
    EXPECT_DOUBLE_EQ(line3[1].width, 44);
    EXPECT_EQ(line3[0].colour, Model::codePalette()[2]);
    EXPECT_EQ(line3[1].colour, Model::codePalette()[3]);
}

TEST(MiniWindowModel, TerminalAndGenericLines)
{
    const Model::Metrics& m = Model::metrics(true);
    const int seed = Model::seed("Terminal");
    for (int i = 0; i < 8; ++i) {
        const QList<Model::Bar> bars = Model::line(Model::Kind::terminal, seed, i, 100, m, TTheme::light());
        ASSERT_EQ(bars.size(), 1);
        EXPECT_DOUBLE_EQ(bars[0].width, ((seed + 13 * i) % 40 + 20));
        if (i % 4 == 1)
            EXPECT_EQ(bars[0].colour, QColor(126, 226, 168));
        else
            EXPECT_NEAR(bars[0].colour.alphaF(), 0.45, 0.002);
    }

    const QList<Model::Bar> generic = Model::line(Model::Kind::generic, 7, 2, 100, m, TTheme::light());
    ASSERT_EQ(generic.size(), 3);
    EXPECT_TRUE(generic[0].circle);
    EXPECT_EQ(generic[0].colour, Model::badgePalette()[2]);
    EXPECT_DOUBLE_EQ(generic[1].x, 5 + 2);
    EXPECT_DOUBLE_EQ(generic[1].width, 10);
    EXPECT_EQ(generic[1].colour, TTheme::light().skel);
    EXPECT_DOUBLE_EQ(generic[2].x, 5 + 2 + 10 + 2);
    EXPECT_DOUBLE_EQ(generic[2].width, (34 + 7) % 40 + 30);
}

TEST(MiniWindowModel, EditorsAndTerminalsStayDark)
{
    for (const TTheme* t : {&TTheme::light(), &TTheme::dark()}) {
        EXPECT_EQ(Model::titleBarColour(Model::Kind::codeEditor, *t), QColor(34, 35, 40));
        EXPECT_EQ(Model::contentColour(Model::Kind::terminal, *t), QColor(23, 24, 28));
        EXPECT_EQ(Model::titleTextColour(Model::Kind::terminal, *t), QColor(163, 167, 176));
        EXPECT_EQ(Model::titleBarColour(Model::Kind::generic, *t), t->winTB);
        EXPECT_EQ(Model::contentColour(Model::Kind::generic, *t), t->winBG);
        EXPECT_EQ(Model::titleTextColour(Model::Kind::generic, *t), t->muted);
    }
    EXPECT_FALSE(Model::metrics(false).showsTitle);
    EXPECT_TRUE(Model::metrics(true).showsTitle);
}

TEST(DisplayPreview, ItemsFillTheirUnitLessTheGap)
{
    const QRectF f = DisplayPreview::itemFrame(UnitRect(0.5, 0, 0.5, 1), 320, 100, 1.5);
    EXPECT_DOUBLE_EQ(f.left(), 161.5);
    EXPECT_DOUBLE_EQ(f.top(), 1.5);
    EXPECT_DOUBLE_EQ(f.width(), 157);
    EXPECT_DOUBLE_EQ(f.height(), 97);
    // Neighbours sit two gaps apart.
    const QRectF left = DisplayPreview::itemFrame(UnitRect(0, 0, 0.5, 1), 320, 100, 1.5);
    EXPECT_DOUBLE_EQ(f.left() - left.right(), 3);

    // Too small: 4 points, at its place; never dropped.
    const QRectF tiny = DisplayPreview::itemFrame(UnitRect(0.9, 0.9, 0.005, 0), 320, 100, 1.5);
    EXPECT_DOUBLE_EQ(tiny.left(), 289.5);
    EXPECT_DOUBLE_EQ(tiny.width(), 4);
    EXPECT_DOUBLE_EQ(tiny.height(), 4);
}

TEST(DisplayPreview, FitsItsAspectCentred)
{
    const QRectF wide = DisplayPreview::fitted(QRectF(0, 0, 320, 200), 3.2);
    EXPECT_EQ(wide, QRectF(0, 50, 320, 100));
    const QRectF tall = DisplayPreview::fitted(QRectF(0, 0, 320, 100), 1.6);
    EXPECT_EQ(tall, QRectF(80, 0, 160, 100));
    // A broken aspect counts as 1.6.
    EXPECT_EQ(DisplayPreview::fitted(QRectF(0, 0, 160, 200), 0), QRectF(0, 50, 160, 100));
    EXPECT_EQ(DisplayPreview::fitted(QRectF(0, 0, 160, 200), qQNaN()), QRectF(0, 50, 160, 100));
}

class DisplayPreviewFade : public DesignTest {};

TEST_F(DisplayPreviewFade, ItemsThatComeAndGoFadeWhenAnimated)
{
    DisplayPreview preview(1.6, {{"a", "Safari", UnitRect(0, 0, 0.5, 1)}}, 1.5, 6);
    preview.resize(160, 100);
    preview.show();
    const QList<DisplayPreview::Item> next = {{"b", "Notes", UnitRect(0.5, 0, 0.5, 1)}};
    preview.setItems(next, true);
    EXPECT_EQ(preview.items(), next);
    EXPECT_GT(clock.pending(), 0u);
    clock.advance(1.0);
    EXPECT_EQ(clock.pending(), 0u); // the fade ended and its frames stopped

    appearance.setReduceMotion(true);
    preview.setItems({}, true);
    EXPECT_EQ(clock.pending(), 0u);
}

// A settled picture is reused between previews and paints: whatever it
// shows that changes draws it anew, as painting it afresh draws it.
TEST_F(DisplayPreviewFade, AReusedPictureFollowsEverythingItShows)
{
    using Items = QList<DisplayPreview::Item>;
    const Items two = {{"a", "Safari", UnitRect(0, 0, 0.5, 1)}, {"b", "Xcode", UnitRect(0.5, 0, 0.5, 1)}};
    auto shown = [](DisplayPreview& preview) {
        QImage image(preview.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        preview.render(&image, {}, {}, QWidget::DrawChildren);
        return image;
    };
    auto painted = [](const DisplayPreview& preview, const Items& items) {
        QImage image(preview.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        DisplayPreview::paint(painter, preview.rect(), 1.6, items, {}, 1.5, 6, Environment::colorScheme(&preview),
                              Environment::theme(&preview));
        return image;
    };
    const Items moved = {two[0], {"b", "Xcode", UnitRect(0.5, 0.5, 0.5, 0.5)}};
    const Items other = {two[0], {"b", "Notes", two[1].rect}};
    const struct {
        const char* change;
        std::function<void(DisplayPreview&)> apply;
        Items items;
    } cases[] = {
        {"none", [](DisplayPreview&) {}, two},
        {"a window moved", [&](DisplayPreview& p) { p.setItems(moved); }, moved},
        {"another application", [&](DisplayPreview& p) { p.setItems(other); }, other},
        {"the scheme", [&](DisplayPreview&) { appearance.setColorScheme(ColorScheme::light); }, two},
        {"no title-bar buttons", [&](DisplayPreview&) { appearance.setTitleBarButtons(false); }, two},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        DisplayPreview first(1.6, two, 1.5, 6);
        first.resize(160, 100);
        shown(first); // the picture before the change, kept
        DisplayPreview preview(1.6, two, 1.5, 6);
        preview.resize(160, 100);
        c.apply(preview);
        EXPECT_EQ(shown(preview), painted(preview, c.items));
    }
}

TEST(Wallpaper, SchemeChoosesTheColours)
{
    EXPECT_EQ(Wallpaper::colours(ColorScheme::dark).from, QColor(21, 24, 28));
    EXPECT_EQ(Wallpaper::colours(ColorScheme::light).to, QColor(214, 219, 225));
    EXPECT_EQ(Wallpaper::colours(ColorScheme::light).glows[1].radius, 240);
    EXPECT_EQ(Wallpaper::colours(ColorScheme::dark).glows[2].centre, QPointF(0.72, 0.96));
}

// The three round title-bar buttons are drawn only where the desktop's own
// windows have them (the simulated desktop), never on X11.
class MiniWindowButtons : public DesignTest {};

TEST_F(MiniWindowButtons, OnlyWhereTheDesktopsWindowsHaveThem)
{
    auto buttonPixels = [&](bool buttons) {
        appearance.setTitleBarButtons(buttons);
        QImage image(160, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        MiniWindow::paint(painter, QRectF(10, 10, 140, 80), QStringLiteral("Safari"), QStringLiteral("Start"), true,
                          TTheme::light());
        painter.end();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                for (const QColor& c : Model::buttonColours())
                    count += image.pixelColor(x, y) == c;
        return count;
    };
    EXPECT_GT(buttonPixels(true), 10);
    EXPECT_EQ(buttonPixels(false), 0);
}
