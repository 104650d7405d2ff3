#include "designfixture.h"

#include "design/aiglow.h"
#include "design/environment.h"
#include "design/tglass.h"
#include "design/themed.h"
#include "design/visualeffect.h"
#include "design/windowtranslucency.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QVBoxLayout>

using namespace tavrin;
using namespace tavrin::test;

TEST(WindowTranslucency, KeepsTheCardAndDropsTheClearMarginAndFaintHalo)
{
    QImage rendered(100, 60, QImage::Format_ARGB32_Premultiplied);
    rendered.fill(Qt::transparent);
    QPainter p(&rendered);
    p.fillRect(QRect(10, 10, 80, 40), QColor(0, 0, 0, 60));     // a faint halo
    p.fillRect(QRect(20, 20, 60, 20), QColor(30, 30, 30, 250)); // the card
    p.end();

    const QRegion kept(WindowTranslucency::visibleShape(rendered));
    EXPECT_EQ(kept, QRegion(20, 20, 60, 20));
}

namespace {

// A panel as the command bar builds it: a translucent window holding the
// glow, holding the glass, holding a 300 × 120 card, 48 points in.
struct Panel {
    QWidget window;
    AIGlow* glow;
    TGlass* glass;
    Panel()
    {
        window.setAttribute(Qt::WA_TranslucentBackground);
        auto* card = new QWidget;
        card->setFixedSize(300, 120);
        glass = new TGlass(18, card);
        glass->setOutset(48);
        glow = new AIGlow(AIGlow::Intensity::idle, 18, glass);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new Themed(glow));
        WindowTranslucency::install(&window);
    }
};

} // namespace

class WindowTranslucencyTest : public DesignTest {};

TEST_F(WindowTranslucencyTest, GlassIsSeeThroughOnlyInAWindowWithABlurBehindIt)
{
    appearance.setBlurAvailable(true);
    // A window that never asked for a blur has opaque glass.
    TGlass loose(18, new QWidget);
    EXPECT_FALSE(Environment::blurBehind(&loose));
    EXPECT_TRUE(loose.coversShapeOpaquely());

    Panel panel;
    panel.window.show();
    EXPECT_TRUE(Environment::blurBehind(panel.glass));
    EXPECT_FALSE(panel.glass->coversShapeOpaquely());
    EXPECT_TRUE(panel.glow->frameRegion().contains(panel.glow->shapeRect().center().toPoint()));
    EXPECT_EQ(WindowTranslucency::glassRegion(&panel.window).boundingRect(), QRect(48, 48, 300, 120));

    // The desktop stops offering it: the glass turns opaque again.
    appearance.setBlurAvailable(false);
    clock.advance(0.1);
    EXPECT_FALSE(Environment::blurBehind(panel.glass));
    EXPECT_TRUE(panel.glass->coversShapeOpaquely());

    // The backdrop stand-in is a solid fill without blur and nothing with it.
    auto centre = [](bool blur) {
        QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        VisualEffect::paint(p, image.rect(), VisualEffect::Material::hudWindow, ColorScheme::dark, blur);
        return image.pixelColor(20, 20);
    };
    EXPECT_EQ(centre(false).alpha(), 255);
    EXPECT_EQ(centre(true).alpha(), 0);
}

TEST_F(WindowTranslucencyTest, OnlyTheCardTakesClicks)
{
    Panel panel;
    panel.window.show();
    EXPECT_EQ(WindowTranslucency::clickRegion(&panel.window), QRegion(48, 48, 300, 120));

    // A window whose content is not one card (an overlay) takes them all.
    QWidget overlay;
    new QWidget(&overlay);
    new QWidget(&overlay);
    overlay.resize(200, 100);
    EXPECT_EQ(WindowTranslucency::clickRegion(&overlay), QRegion(0, 0, 200, 100));
}

TEST_F(WindowTranslucencyTest, WithoutACompositorTheWindowIsCutToWhatItDraws)
{
    Panel panel;
    panel.window.show();
    EXPECT_TRUE(Environment::translucentWindow(panel.glass));
    EXPECT_TRUE(panel.window.mask().isEmpty());

    WindowTranslucency::fit(&panel.window, false);
    EXPECT_FALSE(Environment::translucentWindow(panel.glass));
    const QRegion kept = panel.window.mask();
    EXPECT_TRUE(kept.contains(QPoint(198, 108))); // the card
    EXPECT_TRUE(kept.contains(QPoint(46, 108)));  // the glow's ring
    EXPECT_FALSE(kept.contains(QPoint(10, 10)));  // the margin
    EXPECT_FALSE(kept.contains(QPoint(30, 108))); // the faint halo

    WindowTranslucency::fit(&panel.window, true);
    EXPECT_TRUE(Environment::translucentWindow(panel.glass));
    EXPECT_TRUE(panel.window.mask().isEmpty());
}
