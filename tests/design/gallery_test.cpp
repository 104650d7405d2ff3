// Renders every component of the design system in each of its states, in
// the light and the dark scheme, to PNG files for a person to look at:
// artifacts/design-gallery/ under the source tree (or $TAVRIN_GALLERY_DIR).
// Each page is also checked at a few telling pixels, and for cut text and
// widgets on top of each other.
#include "designfixture.h"
#include "support/layoutcheck.h"

#include "design/aiglow.h"
#include "design/apptile.h"
#include "design/designfont.h"
#include "design/displaypreview.h"
#include "design/frow.h"
#include "design/kbd.h"
#include "design/keymsg.h"
#include "design/layoutglyph.h"
#include "design/menubaricon.h"
#include "design/meter.h"
#include "design/miniwindow.h"
#include "design/shadowcache.h"
#include "design/spark.h"
#include "design/squircle.h"
#include "design/tavrinmark.h"
#include "design/tbutton.h"
#include "design/tcard.h"
#include "design/tcardtitle.h"
#include "design/tfield.h"
#include "design/tglass.h"
#include "design/themed.h"
#include "design/themedlabel.h"
#include "design/tseg.h"
#include "design/tswitch.h"
#include "design/wallpaper.h"
#include "design/windowtranslucency.h"
#include "design/zoneglyph.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>
#include <cmath>

using namespace tavrin;
using namespace tavrin::test;

namespace {

QString galleryDir()
{
    QString dir = qEnvironmentVariable("TAVRIN_GALLERY_DIR");
    if (dir.isEmpty()) {
        const QString source = qEnvironmentVariable("TAVRIN_SOURCE_DIR", QDir::currentPath());
        dir = source + "/artifacts/design-gallery";
    }
    QDir().mkpath(dir);
    return dir;
}

// The page's backdrop: the window colour, or the wallpaper for glass.
class Backdrop : public DesignWidget {
public:
    explicit Backdrop(bool wallpaper) : wallpaper_(wallpaper) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        if (wallpaper_)
            Wallpaper::paint(p, rect(), scheme());
        else
            p.fillRect(rect(), t().winBG);
    }

private:
    bool wallpaper_;
};

// Paints both colour sets as labelled swatches over a checkerboard, so that
// the translucent colours show as translucent.
class Swatches : public DesignWidget {
public:
    Swatches() { setFixedSize(2 * 300 + 30, 14 * 26 + 40); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        static const char* names[] = {"ink",   "muted", "line",    "accent", "fill", "fillHover", "glassStrong",
                                      "winBG", "winTB", "winLine", "skel",   "good", "winSide",   "danger"};
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setFont(DesignFont::system(12));
        const TTheme* sets[] = {&TTheme::light(), &TTheme::dark()};
        for (int s = 0; s < 2; ++s) {
            const QRectF column(10 + s * 310, 10, 300, height() - 20);
            p.fillRect(column, s == 0 ? QColor(Qt::white) : QColor(29, 31, 36));
            p.setPen(sets[s]->muted);
            p.drawText(column.adjusted(8, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop, s == 0 ? "light" : "dark");
            for (int i = 0; i < 14; ++i) {
                const QRectF swatch(column.left() + 8, column.top() + 24 + i * 26, 60, 20);
                for (int cx = 0; cx < 6; ++cx)
                    for (int cy = 0; cy < 2; ++cy)
                        p.fillRect(QRectF(swatch.left() + cx * 10, swatch.top() + cy * 10, 10, 10),
                                   (cx + cy) % 2 ? QColor(128, 128, 128) : QColor(200, 200, 200));
                const QColor c = sets[s]->colour(TTheme::Colour(i));
                p.fillRect(swatch, c);
                p.setPen(sets[s]->ink);
                p.drawText(QRectF(swatch.right() + 10, swatch.top(), 220, 20), Qt::AlignVCenter,
                           QString("%1  rgb(%2, %3, %4) %5")
                               .arg(names[i])
                               .arg(c.red())
                               .arg(c.green())
                               .arg(c.blue())
                               .arg(c.alphaF(), 0, 'f', 2));
            }
        }
    }
};

// An accent-coloured surface with a label and a key cap on it.
class AccentChip : public DesignWidget {
public:
    AccentChip(const QString& text, QWidget* key)
    {
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(12, 5, 8, 5);
        row->setSpacing(8);
        auto* label = new QLabel(text);
        label->setFont(DesignFont::system(12.5));
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(p);
        row->addWidget(label);
        row->addWidget(key);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        Squircle::fill(p, rect(), 8, t().accent);
    }
};

// Draws the tray icon as the tray would, black on a light bar.
class TrayIcons : public QWidget {
public:
    TrayIcons() { setFixedSize(90, 40); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(236, 236, 236));
        MenuBarIcon::icon().paint(&p, QRect(8, 11, 18, 18));
        MenuBarIcon::icon().paint(&p, QRect(40, 2, 36, 36));
    }
};

class Gallery : public DesignTest {
protected:
    void SetUp() override
    {
        DesignTest::SetUp();
        ShadowCache::clear();
    }

    ThemedLabel* caption(const QString& text)
    {
        return new ThemedLabel(text, TTheme::Colour::muted, DesignFont::system(11, QFont::DemiBold));
    }

    // Renders the page at twice the resolution, light and dark, flipping the
    // desktop's scheme under the live page.
    std::pair<QImage, QImage> shoot(Themed& page, const QString& name, qreal scale = 2)
    {
        page.adjustSize();
        page.show();
        QCoreApplication::processEvents();
        std::pair<QImage, QImage> shots;
        for (ColorScheme scheme : {ColorScheme::light, ColorScheme::dark}) {
            appearance.setColorScheme(scheme);
            clock.advance(1); // fades finish
            LayoutCheck::expectTidy(&page, name + (scheme == ColorScheme::dark ? "-dark" : "-light"));
            QImage image(page.size() * scale, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(scale);
            image.fill(Qt::transparent);
            page.render(&image);
            const QString file =
                QString("%1/%2-%3.png").arg(galleryDir(), name, scheme == ColorScheme::dark ? "dark" : "light");
            EXPECT_TRUE(image.save(file)) << file.toStdString();
            (scheme == ColorScheme::dark ? shots.second : shots.first) = image;
        }
        return shots;
    }

    // The colour at a point of a widget, in a 2x shot of the page.
    static QColor at(const QImage& shot, const QWidget* w, QPointF point)
    {
        const QPointF p = (QPointF(w->mapTo(w->window(), QPoint(0, 0))) + point) * 2;
        return shot.pixelColor(p.toPoint());
    }
};

void expectNear(const QColor& actual, const QColor& expected, int tolerance = 2)
{
    EXPECT_NEAR(actual.red(), expected.red(), tolerance)
        << actual.name().toStdString() << " vs " << expected.name().toStdString();
    EXPECT_NEAR(actual.green(), expected.green(), tolerance)
        << actual.name().toStdString() << " vs " << expected.name().toStdString();
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance)
        << actual.name().toStdString() << " vs " << expected.name().toStdString();
}

// `over` composited on the opaque `under`.
QColor over(const QColor& top, const QColor& under)
{
    const qreal a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + under.redF() * (1 - a)),
                            float(top.greenF() * a + under.greenF() * (1 - a)),
                            float(top.blueF() * a + under.blueF() * (1 - a)));
}

} // namespace

TEST_F(Gallery, Theme)
{
    auto* root = new Backdrop(false);
    auto* layout = new QVBoxLayout(root);
    layout->addWidget(new Swatches);
    Themed page(root);
    const auto [light, dark] = shoot(page, "1-theme");
    EXPECT_EQ(light.size(), dark.size());
}

TEST_F(Gallery, ButtonsKeysAndGlyphs)
{
    auto* root = new Backdrop(false);
    auto* grid = new QGridLayout(root);
    grid->setContentsMargins(24, 24, 24, 24);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(14);
    int row = 0;

    grid->addWidget(caption("BUTTONS"), row++, 0, 1, 6);
    TButton* buttons[3][2];
    const char* kinds[] = {"Normal", "Primary", "Ghost"};
    for (int k = 0; k < 3; ++k) {
        for (int pressed = 0; pressed < 2; ++pressed) {
            auto* b = new TButton(QString(kinds[k]) + (pressed ? " pressed" : ""), TButtonStyle::Kind(k));
            b->setDown(pressed);
            buttons[k][pressed] = b;
            grid->addWidget(b, row, k * 2 + pressed);
        }
    }
    ++row;

    grid->addWidget(caption("KEY CAPS"), row++, 0, 1, 6);
    auto* keys = new QHBoxLayout;
    keys->setSpacing(8);
    for (const char* k : {"esc", "⌘↩", "⌃⌥←", "Tab"})
        keys->addWidget(new Kbd(QString::fromUtf8(k)));
    auto* onAccent = new Kbd(QString::fromUtf8("⌘↩"), true);
    keys->addWidget(new AccentChip("Arrange", onAccent));
    keys->addStretch(1);
    grid->addLayout(keys, row++, 0, 1, 6);

    grid->addWidget(caption("MARK, TRAY ICON, SPARK"), row++, 0, 1, 6);
    auto* marks = new QHBoxLayout;
    marks->setSpacing(14);
    auto* mark24 = new TavrinMark(24);
    for (qreal s : {12.0, 18.0})
        marks->addWidget(new TavrinMark(s), 0, Qt::AlignBottom);
    marks->addWidget(mark24, 0, Qt::AlignBottom);
    marks->addWidget(new TavrinMark(64), 0, Qt::AlignBottom);
    marks->addWidget(new TrayIcons, 0, Qt::AlignBottom);
    for (qreal s : {14.0, 18.0, 48.0})
        marks->addWidget(new Spark(s), 0, Qt::AlignBottom);
    marks->addStretch(1);
    grid->addLayout(marks, row++, 0, 1, 6);

    grid->addWidget(caption("ZONE GLYPHS"), row++, 0, 1, 6);
    auto* zones = new QHBoxLayout;
    zones->setSpacing(10);
    ZoneGlyph* fullZone = new ZoneGlyph(UnitRect(0, 0, 1, 1));
    zones->addWidget(fullZone);
    for (UnitRect r : {UnitRect(0, 0, 0.5, 1), UnitRect(1.0 / 3, 0, 1.0 / 3, 1), UnitRect(0, 0, 1.0 / 3, 0.5),
                       UnitRect(0.25, 0.1, 0.5, 0.8), UnitRect(0.5, 0.5, 0, 0)})
        zones->addWidget(new ZoneGlyph(r));
    zones->addStretch(1);
    grid->addLayout(zones, row++, 0, 1, 6);

    grid->addWidget(
        caption("LAYOUT GLYPHS: SIX LAYOUTS AT 26×17 (1.6, 3 WINDOWS) AND 40×14 (3.2, 4 WINDOWS, FOCUS HIGHLIGHTED)"),
        row++, 0, 1, 6);
    auto* layouts = new QHBoxLayout;
    layouts->setSpacing(10);
    LayoutGlyph* highlighted = nullptr;
    for (LayoutKind kind : kAllLayoutKinds) {
        auto* small = new LayoutGlyph(kind, 1.6, 3, false);
        small->setFixedSize(26, 17);
        layouts->addWidget(small);
    }
    for (LayoutKind kind : kAllLayoutKinds) {
        auto* wide = new LayoutGlyph(kind, 3.2, 4, kind == LayoutKind::focusCentre);
        wide->setFixedSize(40, 14);
        if (kind == LayoutKind::focusCentre)
            highlighted = wide;
        else
            wide->setForeground(TTheme::light().muted);
        layouts->addWidget(wide);
    }
    layouts->addStretch(1);
    grid->addLayout(layouts, row++, 0, 1, 6);

    grid->addWidget(caption("APP TILES (LETTER TILES: NO DESKTOP ENTRIES HERE)"), row++, 0, 1, 6);
    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(10);
    AppTile* big = new AppTile("Safari", 64);
    for (const char* app : {"Safari", "Xcode", "Notes", "1Password", "", "Ab"})
        tiles->addWidget(new AppTile(QString::fromUtf8(app), 32), 0, Qt::AlignBottom);
    tiles->addWidget(new AppTile("Terminal", 16), 0, Qt::AlignBottom);
    tiles->addWidget(big, 0, Qt::AlignBottom);
    tiles->addStretch(1);
    grid->addLayout(tiles, row++, 0, 1, 6);

    Themed page(root);
    const auto [light, dark] = shoot(page, "2-buttons-keys-glyphs");

    // Primary at rest is the accent; pressed, 0.05 darker; ghost at rest
    // shows the window behind it.
    const QPointF inside(4, 14);
    expectNear(at(light, buttons[1][0], inside), TTheme::light().accent);
    expectNear(at(light, buttons[1][1], inside), TButtonStyle::brightness(TTheme::light().accent, -0.05));
    expectNear(at(dark, buttons[1][0], inside), TTheme::dark().accent);
    expectNear(at(light, buttons[2][0], inside), Qt::white);
    expectNear(at(light, buttons[2][1], inside), over(TTheme::light().fill, Qt::white));
    expectNear(at(dark, buttons[0][0], inside), over(TTheme::dark().glassStrong, TTheme::dark().winBG));
    expectNear(at(dark, buttons[0][1], inside), over(TTheme::dark().fillHover, TTheme::dark().winBG));
    // The letter tile's colour, the zone's accent.
    expectNear(at(light, big, QPointF(32, 6)), AppTile::letterColour("Safari"));
    expectNear(at(dark, fullZone, QPointF(17, 6)), TTheme::dark().accent);
    expectNear(at(light, highlighted, QPointF(20, 7)), TTheme::light().accent);
    // The mark's block in the desktop's accent.
    expectNear(at(dark, mark24, QPointF(18.3, 17.3)), appearance.accentColor(), 6);
}

TEST_F(Gallery, SmallPiecesMagnified)
{
    auto* root = new Backdrop(false);
    auto* row = new QHBoxLayout(root);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(8);
    const QList<QWidget*> pieces = {new TavrinMark(24), new Spark(18),     new ZoneGlyph(UnitRect(0, 0, 0.5, 1)),
                                    new Kbd("esc"),     new TButton("Go"), new TSwitch({}, true),
                                    new Meter(0.5)};
    for (QWidget* w : pieces)
        row->addWidget(w);
    Themed page(root);
    shoot(page, "7-small-pieces-x6", 6);
    // Each piece alone, larger still, with a point of margin.
    for (int i = 0; i < pieces.size(); ++i) {
        const qreal scale = 16;
        QImage image((pieces[i]->size() + QSize(2, 2)) * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::white);
        page.render(&image, QPoint(), QRegion(QRect(pieces[i]->geometry().adjusted(-1, -1, 1, 1))));
        image.save(QString("%1/7-piece-%2-x16.png").arg(galleryDir()).arg(i));
    }
}

TEST_F(Gallery, SwitchesFieldsAndSegments)
{
    auto* root = new Backdrop(false);
    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(12);

    column->addWidget(caption("SWITCHES: OFF, ON, HALF-WAY, NO LABEL"));
    auto* switches = new QHBoxLayout;
    auto* off = new TSwitch("Launch at login", false);
    auto* on = new TSwitch("Share-safe", true);
    auto* moving = new TSwitch("Sliding", false);
    switches->addWidget(off);
    switches->addWidget(on);
    switches->addWidget(moving);
    switches->addWidget(new TSwitch({}, true));
    switches->addStretch(1);
    column->addLayout(switches);

    column->addWidget(caption("TEXT FIELDS: PLACEHOLDER, TEXT, MONOSPACED"));
    auto* fields = new QHBoxLayout;
    auto* placeholder = new TField;
    placeholder->setPlaceholderText("Describe what you're working on…");
    auto* text = new TField;
    text->setText("Deep work");
    auto* mono = new TField(true);
    mono->setText("sk-ant-api03-••••");
    fields->addWidget(placeholder);
    fields->addWidget(text);
    fields->addWidget(mono);
    column->addLayout(fields);

    column->addWidget(caption("SEGMENTED: FIRST, MIDDLE, NOTHING SELECTED, NO OPTIONS"));
    auto* segs = new QHBoxLayout;
    const QList<TSeg::Option> options = {{"off", "Off"}, {"auto", "Automatic"}, {"always", "Always"}};
    auto* first = new TSeg(options, "off");
    segs->addWidget(first);
    segs->addWidget(new TSeg(options, "auto"));
    segs->addWidget(new TSeg(options, "none"));
    segs->addWidget(new TSeg({}, QVariant()));
    segs->addStretch(1);
    column->addLayout(segs);

    Themed page(root);
    page.adjustSize();
    page.show();
    // Catch the third switch half-way through its slide.
    moving->setChecked(true);
    clock.advance(0.06);
    QImage half(page.size() * 2, QImage::Format_ARGB32_Premultiplied);
    half.setDevicePixelRatio(2);
    page.render(&half);
    EXPECT_GT(moving->position(), 0.2);
    EXPECT_LT(moving->position(), 0.9);
    half.save(galleryDir() + "/3-switches-fields-segments-sliding.png");

    const auto [light, dark] = shoot(page, "3-switches-fields-segments");
    expectNear(at(light, on, on->switchRect().topLeft() + QPointF(9, 3)), TTheme::light().good);
    expectNear(at(dark, on, on->switchRect().topLeft() + QPointF(9, 3)), TTheme::dark().good);
    expectNear(at(light, off, off->switchRect().topLeft() + QPointF(24, 9)),
               over(TTheme::light().fillHover, Qt::white));
    expectNear(at(light, text, QPointF(3, 20)), Qt::white);
    expectNear(at(dark, text, QPointF(3, 20)), TTheme::dark().winBG);
    // The selected segment is raised on `glassStrong` over the `fill` track.
    const QRectF seg0 = TSeg::segmentRects({"Off", "Automatic", "Always"}, first->size())[0];
    // (Its shadow shows faintly through the translucent face.)
    expectNear(at(light, first, seg0.topLeft() + QPointF(4, seg0.height() / 2)),
               over(TTheme::light().glassStrong, over(TTheme::light().fill, Qt::white)), 5);
}

TEST_F(Gallery, CardsRowsMessagesAndMeters)
{
    auto* root = new Backdrop(false);
    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);
    root->setFixedWidth(560);

    auto* card = new TCard;
    card->addWidget(new TCardTitle("Claude key", new Spark(16)));
    auto* field = new TField(true);
    field->setPlaceholderText("sk-ant-…");
    card->addWidget(new FRow("API key", field));
    card->addWidget(new FRow("Engine", new TSeg({{0, "On device"}, {1, "Claude"}, {2, "Tavrin AI"}}, 1)));
    card->addWidget(new FRow("A row label long enough that it has to wrap", new TSwitch({}, true)));
    card->addWidget(new KeyMsg("Plain: requests are sent as they are shown in the log."));
    card->addWidget(new KeyMsg("Ok: the key works.", KeyMsg::Tone::ok));
    card->addWidget(new KeyMsg("Err: the key was refused. The server said the key is not valid for this "
                               "organisation, so check it and paste it again.",
                               KeyMsg::Tone::err));
    column->addWidget(card);

    auto* meters = new TCard(QMargins(16, 14, 16, 14));
    meters->addWidget(new TCardTitle("Meters: -0.2, 0.5, 1.7, not a number"));
    Meter* half = nullptr;
    for (double v : {-0.2, 0.5, 1.7, qQNaN()}) {
        auto* m = new Meter(v);
        if (v == 0.5)
            half = m;
        meters->addWidget(m);
    }
    column->addWidget(meters);

    auto* empty = new TCard;
    column->addWidget(caption("EMPTY CARD"));
    column->addWidget(empty);

    Themed page(root);
    const auto [light, dark] = shoot(page, "4-cards-rows-messages-meters");
    EXPECT_EQ(empty->height(), 28);
    expectNear(at(light, card, QPointF(200, 5)), over(TTheme::light().fill, Qt::white));
    expectNear(at(dark, half, QPointF(half->width() * 0.25, 2.5)), TTheme::dark().good);
    expectNear(at(dark, half, QPointF(half->width() * 0.75, 2.5)),
               over(TTheme::dark().fillHover, over(TTheme::dark().fill, TTheme::dark().winBG)));
}

TEST_F(Gallery, PreviewsAndMiniWindows)
{
    auto* root = new Backdrop(false);
    auto* grid = new QGridLayout(root);
    grid->setContentsMargins(24, 24, 24, 24);
    grid->setSpacing(16);

    grid->addWidget(caption("DISPLAY PREVIEW 3.2: FIVE WINDOWS, ONE OVERLAPPING; GAP 1.5, RADIUS 6"), 0, 0, 1, 2);
    const QList<DisplayPreview::Item> items = {
        {"1", "Xcode", UnitRect(0, 0, 0.5, 1)},          {"2", "Terminal", UnitRect(0.5, 0, 0.25, 0.5)},
        {"3", "Safari", UnitRect(0.5, 0.5, 0.25, 0.5)},  {"4", "Notes", UnitRect(0.75, 0, 0.25, 1)},
        {"5", "Messages", UnitRect(0.6, 0.3, 0.3, 0.5)},
    };
    auto* preview = new DisplayPreview(3.2, items, 1.5, 6);
    preview->setFixedSize(640, 200);
    grid->addWidget(preview, 1, 0, 1, 2);

    grid->addWidget(caption("EMPTY, 1.6"), 2, 0);
    auto* empty = new DisplayPreview(1.6, {}, 1.5, 6);
    empty->setFixedSize(200, 125);
    grid->addWidget(empty, 3, 0);
    grid->addWidget(caption("TINY ITEMS STILL 4 POINTS"), 2, 1);
    auto* tiny = new DisplayPreview(
        1.6, {{"a", "Zed", UnitRect(0.1, 0.1, 0.01, 0.01)}, {"b", "Kitty", UnitRect(0.5, 0.5, 0.5, 0.02)}}, 1.5, 6);
    tiny->setFixedSize(200, 125);
    grid->addWidget(tiny, 3, 1);

    grid->addWidget(caption("LARGE MINI WINDOWS: EDITOR WITH TITLE, TERMINAL, GENERIC WITH AND WITHOUT TITLE"), 4, 0, 1,
                    2);
    auto* minis = new QHBoxLayout;
    minis->setSpacing(8);
    MiniWindow* generic = nullptr;
    const std::pair<const char*, std::optional<QString>> windows[] = {{"Xcode", QString("Tavrin — design")},
                                                                      {"Ghostty", std::nullopt},
                                                                      {"Notes", QString("Groceries")},
                                                                      {"Mail", std::nullopt}};
    for (const auto& [app, title] : windows) {
        auto* w = new MiniWindow(app, title, true);
        w->setOutsets(QMargins(12, 6, 12, 24));
        w->setFixedSize(150 + 24, 190 + 30);
        if (QString(app) == "Notes")
            generic = w;
        minis->addWidget(w);
    }
    grid->addLayout(minis, 5, 0, 1, 2);

    Themed page(root);
    const auto [light, dark] = shoot(page, "5-previews-mini-windows");
    // An editor keeps its dark body in the light scheme; a generic window follows the theme.
    const QRectF left = DisplayPreview::itemFrame(items[0].rect, 320, 100, 1.5);
    const QPointF offset(0, 50); // the 3.2 preview fits 640 by 200 centred
    Q_UNUSED(left);
    expectNear(at(light, preview, offset + QPointF(150, 96)), QColor(23, 24, 28));
    expectNear(at(light, generic, QPointF(12 + 140, 6 + 180)), TTheme::light().winBG);
    expectNear(at(dark, generic, QPointF(12 + 140, 6 + 180)), TTheme::dark().winBG);
    expectNear(at(light, generic, QPointF(12 + 140, 6 + 5)), TTheme::light().winTB);
}

TEST_F(Gallery, GlassAndGlow)
{
    auto* root = new Backdrop(true);
    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(0, 0, 0, 24);
    column->setSpacing(0);

    auto card = [](const QString& text) {
        auto* content = new QWidget;
        auto* l = new QVBoxLayout(content);
        l->setContentsMargins(16, 14, 16, 14);
        auto* row = new QHBoxLayout;
        row->setSpacing(10);
        row->addWidget(new Spark(18));
        row->addWidget(new ThemedLabel(text, TTheme::Colour::ink, DesignFont::system(17)), 1);
        row->addWidget(new Kbd("esc"));
        l->addLayout(row);
        l->addWidget(new KeyMsg("A command bar: glass of radius 18 inside 48 points of margin, with the glow."));
        content->setFixedSize(820, 120);
        return content;
    };

    // The command bar: 820 wide inside 48 points of margin, 916 in all.
    auto* working = new AIGlow(AIGlow::Intensity::working, 18, new TGlass(18, card("Working, no blur: opaque tint")));
    static_cast<TGlass*>(working->content())->setOutset(48);
    auto* idle = new AIGlow(AIGlow::Intensity::idle, 18, new TGlass(18, card("Idle")));
    static_cast<TGlass*>(idle->content())->setOutset(48);
    column->addWidget(working, 0, Qt::AlignLeft);
    column->addWidget(idle, 0, Qt::AlignLeft);

    auto* capsules = new QHBoxLayout;
    capsules->setContentsMargins(48, 0, 48, 0);
    auto* pill = new TGlass(999, new ThemedLabel("  Arranged 3 windows — capsule glass (radius 999)  ",
                                                 TTheme::Colour::ink, DesignFont::system(13)));
    pill->content()->setFixedHeight(36);
    pill->setOutsets(QMargins(32, 20, 32, 60));
    capsules->addWidget(pill);
    auto* square = new TGlass(0, new QWidget);
    square->content()->setFixedSize(120, 60);
    square->setOutsets(QMargins(32, 20, 32, 60));
    capsules->addWidget(square);
    auto* zeroGlow = new AIGlow(AIGlow::Intensity::idle, 0, new TGlass(0, new QWidget));
    zeroGlow->content()->setFixedSize(120 + 96, 60 + 96);
    static_cast<TGlass*>(zeroGlow->content())->setOutset(48);
    capsules->addWidget(zeroGlow);
    capsules->addStretch(1);
    column->addLayout(capsules);

    Themed page(root);
    page.setFixedWidth(916 + 280);
    // Glass is see-through only in a window that asked for a blur behind it
    // and got one, as the panels do.
    WindowTranslucency::install(&page);
    const auto [light, dark] = shoot(page, "6-glass-glow");
    const QRectF shape = working->shapeRect();
    EXPECT_EQ(shape.width(), 820);
    EXPECT_EQ(working->width(), 916);
    // Without blur the tint is opaque.
    expectNear(at(dark, working, shape.topLeft() + QPointF(400, 100)), QColor(38, 40, 47));
    expectNear(at(light, working, shape.topLeft() + QPointF(400, 100)), QColor(250, 251, 252));

    // With blur the same page is translucent: the wallpaper shows through.
    appearance.setBlurAvailable(true);
    clock.advance(1);
    const auto [lightBlur, darkBlur] = shoot(page, "6-glass-glow-blur");
    const QColor through = at(darkBlur, working, shape.topLeft() + QPointF(400, 100));
    EXPECT_NE(through.rgb(), QColor(38, 40, 47).rgb());

    // Reduce motion: drawn once, unturned, and no frames run.
    appearance.setBlurAvailable(false);
    appearance.setReduceMotion(true);
    EXPECT_FALSE(working->isAnimating());
    shoot(page, "6-glass-glow-reduce-motion");
}
