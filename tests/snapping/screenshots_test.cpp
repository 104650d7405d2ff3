// Pictures of the overlay's two faces on a 1.6 and a 2.4 display, in both
// colour schemes, written to artifacts/snapping/ for a person to look at and
// checked for cut text and widgets on top of each other; the arrow pad's
// hints show whole.

#include "support/artifacts.h"
#include "support/layoutcheck.h"
#include "viewfixture.h"

#include "design/elidedlabel.h"
#include "design/floatingpanel.h"
#include "design/themed.h"
#include "platform/sim/simappearance.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace tavrin {
namespace {

struct Shot {
    double displayWidth; // × 1000 visible
    bool letters;
    ColorScheme scheme;
};

class Screenshots : public ::testing::TestWithParam<Shot> {
protected:
    // The overlay as the desktop's panel shows it, over a plain backdrop.
    bool save(const QString& name)
    {
        const Shot shot = GetParam();
        // The window sits on a snap zone, so a cell is lit and the pad has
        // somewhere to go from.
        const double width = shot.displayWidth;
        const Rect area(0, 24, width, 1000);
        const Rect window = rect(SnapTarget::topLeft, width / 1000).rect(area, 8);
        ViewDesk desk(width, window, true); // a second display, for its hint
        desk.env.desktop.appearance().setColorScheme(shot.scheme);
        desk.env.defaults.setValue(SnapHUDController::kLettersKey, shot.letters);
        SnapHUDController hud(desk.windows, desk.store, Platform::current());
        hud.show();
        desk.env.clock.advance(1);
        auto* panel = dynamic_cast<FloatingPanel*>(hud.panel());
        if (!panel)
            return false;
        if (!shot.letters) {
            // A key just pressed.
            const auto frame = desk.windows.arrow(Arrow::right);
            hud.flashArrow(Arrow::right, *frame);
            desk.env.clock.advance(0.05);
        }
        QCoreApplication::processEvents();
        LayoutCheck::expectTidy(panel->window(), name);
        if (const auto* pad = panel->window()->findChild<ArrowPadView*>()) {
            // Both hints show whole, the keys of the other display spelled out.
            const HUDRow* footer = pad->footer();
            EXPECT_TRUE(footer->trailing()->text().startsWith(QStringLiteral("Ctrl+Alt+Super"))) << name.toStdString();
            for (const ElidedLabel* hint : {footer->leading(), footer->trailing()})
                EXPECT_EQ(hint->shownText(), hint->text()) << name.toStdString();
            EXPECT_GE(footer->height(), footer->heightForWidth(footer->width())) << name.toStdString();
        }
        const QPixmap picture = panel->window()->grab();
        QImage image(picture.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter p(&image);
        QLinearGradient backdrop(0, 0, image.width(), image.height());
        const bool dark = shot.scheme == ColorScheme::dark;
        backdrop.setColorAt(0, dark ? QColor(0x27, 0x2f, 0x3f) : QColor(0xd9, 0xe3, 0xee));
        backdrop.setColorAt(1, dark ? QColor(0x12, 0x16, 0x1f) : QColor(0xb9, 0xc6, 0xd6));
        p.fillRect(image.rect(), backdrop);
        p.drawPixmap(0, 0, picture);
        p.end();
        return image.save(QDir(Artifacts::folder(QStringLiteral("snapping"))).filePath(name + QStringLiteral(".png")));
    }
};

// "grid_1_6_dark" for a test name, "grid-1.6-dark" for a file.
QString shotName(const Shot& shot, QChar separator, QChar point)
{
    return QStringLiteral("%1%4%2%4%3")
        .arg(shot.letters ? QStringLiteral("grid") : QStringLiteral("pad"),
             QString::number(shot.displayWidth / 1000, 'f', 1).replace(QLatin1Char('.'), point),
             shot.scheme == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light"), separator);
}

TEST_P(Screenshots, Face) { EXPECT_TRUE(save(shotName(GetParam(), QLatin1Char('-'), QLatin1Char('.')))); }

INSTANTIATE_TEST_SUITE_P(Faces, Screenshots,
                         ::testing::Values(Shot{1600, true, ColorScheme::light}, Shot{1600, true, ColorScheme::dark},
                                           Shot{2400, true, ColorScheme::light}, Shot{2400, true, ColorScheme::dark},
                                           Shot{1600, false, ColorScheme::light}, Shot{1600, false, ColorScheme::dark},
                                           Shot{2400, false, ColorScheme::light}, Shot{2400, false, ColorScheme::dark}),
                         [](const ::testing::TestParamInfo<Shot>& info) {
                             return shotName(info.param, QLatin1Char('_'), QLatin1Char('_')).toStdString();
                         });

} // namespace
} // namespace tavrin
