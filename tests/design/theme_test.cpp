#include "designfixture.h"

#include "design/designfont.h"
#include "design/designwidget.h"
#include "design/environment.h"
#include "design/themed.h"
#include "design/themedlabel.h"
#include "platform/linux/desktopappearance.h"

#include <QDBusArgument>
#include <QSignalSpy>
#include <QVBoxLayout>

using namespace tavrin;
using namespace tavrin::test;

namespace {

QColor rgb(int r, int g, int b, qreal a = 1.0)
{
    QColor c(r, g, b);
    c.setAlphaF(float(a));
    return c;
}

// Exact in 8-bit channels, opacity to within one 8-bit step.
void expectColour(const QColor& actual, const QColor& expected, const char* what)
{
    EXPECT_EQ(actual.red(), expected.red()) << what;
    EXPECT_EQ(actual.green(), expected.green()) << what;
    EXPECT_EQ(actual.blue(), expected.blue()) << what;
    EXPECT_NEAR(actual.alphaF(), expected.alphaF(), 0.002) << what;
    EXPECT_EQ(actual.spec(), QColor::Rgb) << what;
}

class Probe : public DesignWidget {
public:
    using DesignWidget::DesignWidget;
    int changes = 0;

protected:
    void environmentChanged() override { ++changes; }
};

} // namespace

TEST(TTheme, LightSetIsExact)
{
    const TTheme& t = TTheme::light();
    expectColour(t.ink, rgb(21, 23, 28), "ink");
    expectColour(t.muted, rgb(95, 101, 113), "muted");
    expectColour(t.line, rgb(21, 23, 28, 0.1), "line");
    expectColour(t.accent, rgb(10, 124, 255), "accent");
    expectColour(t.fill, rgb(21, 23, 28, 0.05), "fill");
    expectColour(t.fillHover, rgb(21, 23, 28, 0.08), "fillHover");
    expectColour(t.glassStrong, rgb(250, 251, 252, 0.88), "glassStrong");
    expectColour(t.winBG, rgb(255, 255, 255), "winBG");
    expectColour(t.winTB, rgb(243, 244, 246), "winTB");
    expectColour(t.winLine, rgb(0, 0, 0, 0.1), "winLine");
    expectColour(t.skel, rgb(21, 23, 28, 0.13), "skel");
    expectColour(t.good, rgb(31, 157, 85), "good");
    expectColour(t.winSide, rgb(241, 242, 244), "winSide");
    expectColour(t.danger, rgb(229, 72, 77), "danger");
}

TEST(TTheme, DarkSetIsExact)
{
    const TTheme& t = TTheme::dark();
    expectColour(t.ink, rgb(238, 240, 244), "ink");
    expectColour(t.muted, rgb(154, 161, 173), "muted");
    expectColour(t.line, rgb(255, 255, 255, 0.09), "line");
    expectColour(t.accent, rgb(59, 155, 255), "accent");
    expectColour(t.fill, rgb(255, 255, 255, 0.06), "fill");
    expectColour(t.fillHover, rgb(255, 255, 255, 0.1), "fillHover");
    expectColour(t.glassStrong, rgb(38, 40, 47, 0.88), "glassStrong");
    expectColour(t.winBG, rgb(29, 31, 36), "winBG");
    expectColour(t.winTB, rgb(38, 40, 46), "winTB");
    expectColour(t.winLine, rgb(255, 255, 255, 0.08), "winLine");
    expectColour(t.skel, rgb(255, 255, 255, 0.16), "skel");
    expectColour(t.good, rgb(63, 207, 127), "good");
    expectColour(t.winSide, rgb(35, 37, 43), "winSide");
    expectColour(t.danger, rgb(229, 72, 77), "danger");
}

TEST(TTheme, SetsAreSharedAndChosenByScheme)
{
    EXPECT_EQ(&TTheme::light(), &TTheme::light());
    EXPECT_EQ(&TTheme::forScheme(ColorScheme::dark), &TTheme::dark());
    EXPECT_EQ(&TTheme::forScheme(ColorScheme::light), &TTheme::light());
    EXPECT_EQ(TTheme::light().danger, TTheme::dark().danger);
    EXPECT_EQ(TTheme::dark().colour(TTheme::Colour::winSide), TTheme::dark().winSide);
    EXPECT_EQ(TTheme::light().colour(TTheme::Colour::danger), TTheme::light().danger);
}

TEST(Environment, OutsideAnyPlatformTheViewsAreDark)
{
    Platform::uninstall();
    DesignWidget view;
    EXPECT_EQ(view.t(), TTheme::dark());
    EXPECT_EQ(view.scheme(), ColorScheme::dark);
    EXPECT_FALSE(Environment::blurAvailable());
    EXPECT_FALSE(Environment::reduceMotion());
    EXPECT_TRUE(Environment::systemAccent().isValid());
}

class EnvironmentTest : public DesignTest {};

TEST_F(EnvironmentTest, OutsideThemedTheThemeIsDarkEvenInTheLightScheme)
{
    appearance.setColorScheme(ColorScheme::light);
    QWidget host;
    auto* view = new DesignWidget(&host);
    EXPECT_EQ(view->t(), TTheme::dark());
    // The scheme itself still follows the desktop.
    EXPECT_EQ(view->scheme(), ColorScheme::light);
}

TEST_F(EnvironmentTest, ThemedFollowsTheSchemeWithoutRecreatingItsViews)
{
    appearance.setColorScheme(ColorScheme::light);
    auto* inner = new QWidget;
    auto* probe = new Probe(inner);
    Themed themed(inner);
    EXPECT_EQ(probe->t().ink, QColor(21, 23, 28));

    const int before = probe->changes;
    appearance.setColorScheme(ColorScheme::dark);
    EXPECT_EQ(probe->t().ink, QColor(238, 240, 244));
    EXPECT_GT(probe->changes, before);
}

TEST_F(EnvironmentTest, NearestWriterWins)
{
    appearance.setColorScheme(ColorScheme::dark);
    Themed outer;
    auto* host = new QWidget;
    outer.setContent(host);
    auto* probe = new Probe(host);
    EXPECT_EQ(probe->t(), TTheme::dark());

    Environment::setTheme(host, TTheme::light());
    EXPECT_EQ(probe->t(), TTheme::light());
    Environment::setTheme(host, std::nullopt);
    EXPECT_EQ(probe->t(), TTheme::dark());

    // A host that forces a scheme re-themes a Themed inside it.
    Environment::setColorScheme(&outer, ColorScheme::light);
    EXPECT_EQ(probe->t(), TTheme::light());
    EXPECT_EQ(probe->scheme(), ColorScheme::light);
}

TEST_F(EnvironmentTest, AViewMovedIntoThemedTakesItsTheme)
{
    appearance.setColorScheme(ColorScheme::light);
    QWidget loose;
    auto* label = new ThemedLabel("Text", TTheme::Colour::ink, DesignFont::system(13), &loose);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), TTheme::dark().ink);

    Themed themed;
    label->setParent(&themed);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), TTheme::light().ink);
    appearance.setColorScheme(ColorScheme::dark);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), TTheme::dark().ink);
}

TEST(ThemedLabel, ShowsMarkupVerbatim)
{
    ThemedLabel label("<b>not bold</b> & <i>x</i>", TTheme::Colour::muted, DesignFont::system(13));
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
}

TEST(SimAppearance, AnnouncesOnlyChanges)
{
    SimAppearance a;
    QSignalSpy scheme(&a, &Appearance::colorSchemeChanged);
    QSignalSpy motion(&a, &Appearance::reduceMotionChanged);
    QSignalSpy accent(&a, &Appearance::accentColorChanged);
    QSignalSpy blur(&a, &Appearance::blurAvailableChanged);

    a.setColorScheme(a.colorScheme());
    a.setColorScheme(ColorScheme::light);
    a.setColorScheme(ColorScheme::light);
    a.setReduceMotion(true);
    a.setReduceMotion(true);
    a.setBlurAvailable(true);
    a.setAccentColor(QColor(255, 0, 0, 40));
    a.setAccentColor(QColor(255, 0, 0));

    EXPECT_EQ(scheme.count(), 1);
    EXPECT_EQ(motion.count(), 1);
    EXPECT_EQ(blur.count(), 1);
    // A translucent accent is made opaque, so the second call is no change.
    EXPECT_EQ(accent.count(), 1);
    EXPECT_EQ(a.accentColor(), QColor(255, 0, 0));

    a.setAccentColor(QColor());
    EXPECT_EQ(a.accentColor(), SimAppearance::defaultAccent());
}

TEST(DesktopAppearance, ReadsThePortalsValues)
{
    EXPECT_EQ(DesktopAppearance::schemeFromPortal(QVariant(uint(1))), ColorScheme::dark);
    EXPECT_EQ(DesktopAppearance::schemeFromPortal(QVariant(uint(2))), ColorScheme::light);
    EXPECT_EQ(DesktopAppearance::schemeFromPortal(QVariant(uint(0))), std::nullopt);
    EXPECT_EQ(DesktopAppearance::schemeFromPortal(QVariant(uint(7))), std::nullopt);
    EXPECT_EQ(DesktopAppearance::schemeFromPortal(QVariant::fromValue(QDBusVariant(QVariant(uint(1))))),
              ColorScheme::dark);
    EXPECT_EQ(DesktopAppearance::schemeFromPortal(QVariant("dark")), std::nullopt);

    EXPECT_EQ(DesktopAppearance::accentFromPortal(QVariantList{1.0, 0.5, 0.0}), QColor::fromRgbF(1, 0.5, 0));
    // Out of range means no accent is set.
    EXPECT_EQ(DesktopAppearance::accentFromPortal(QVariantList{-1.0, -1.0, -1.0}), std::nullopt);
    EXPECT_EQ(DesktopAppearance::accentFromPortal(QVariantList{1.0, 0.5}), std::nullopt);
    EXPECT_EQ(DesktopAppearance::accentFromPortal(QVariantList{qQNaN(), 0.5, 0.5}), std::nullopt);

    const QString gnome = "org.gnome.desktop.interface";
    EXPECT_EQ(DesktopAppearance::reduceMotionFromSetting(gnome, "enable-animations", false), true);
    EXPECT_EQ(DesktopAppearance::reduceMotionFromSetting(gnome, "enable-animations", true), false);
    EXPECT_EQ(DesktopAppearance::reduceMotionFromSetting(gnome, "enable-animations", "no"), std::nullopt);
    EXPECT_EQ(DesktopAppearance::reduceMotionFromSetting("org.kde.kdeglobals.KDE", "AnimationDurationFactor", 0.0),
              true);
    EXPECT_EQ(DesktopAppearance::reduceMotionFromSetting("org.kde.kdeglobals.KDE", "AnimationDurationFactor", 0.5),
              false);
    EXPECT_EQ(DesktopAppearance::reduceMotionFromSetting(gnome, "cursor-size", 24), std::nullopt);

    EXPECT_EQ(DesktopAppearance::schemeFromWindowColor(QColor(30, 30, 30)), ColorScheme::dark);
    EXPECT_EQ(DesktopAppearance::schemeFromWindowColor(QColor(239, 239, 239)), ColorScheme::light);
}

TEST(DesktopAppearance, StartsFromThePaletteWithoutWaiting)
{
    DesktopAppearance a;
    EXPECT_TRUE(a.accentColor().isValid());
    EXPECT_EQ(a.accentColor().alpha(), 255);
    EXPECT_FALSE(a.blurAvailable()); // never on the offscreen platform
}
