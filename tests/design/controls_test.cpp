#include "designfixture.h"

#include "design/designfont.h"
#include "design/frow.h"
#include "design/kbd.h"
#include "design/keymsg.h"
#include "design/meter.h"
#include "design/tbutton.h"
#include "design/tcard.h"
#include "design/tcardtitle.h"
#include "design/tfield.h"
#include "design/themed.h"
#include "design/tseg.h"
#include "design/tswitch.h"
#include "design/tswitchstyle.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <cmath>

using namespace tavrin;
using namespace tavrin::test;
using Kind = TButtonStyle::Kind;

TEST(TButtonStyle, ColoursByKindAndPress)
{
    for (const TTheme* t : {&TTheme::light(), &TTheme::dark()}) {
        const auto normal = TButtonStyle(Kind::normal).look(*t, false);
        EXPECT_EQ(normal.fill, t->glassStrong);
        EXPECT_EQ(normal.foreground, t->ink);
        EXPECT_EQ(normal.outline, t->line);
        EXPECT_NEAR(normal.shadow.alphaF(), 0.06, 0.002);
        const auto normalDown = TButtonStyle(Kind::normal).look(*t, true);
        EXPECT_EQ(normalDown.fill, t->fillHover);
        EXPECT_EQ(normalDown.outline, t->line); // the outline stays

        const auto primary = TButtonStyle(Kind::primary).look(*t, false);
        EXPECT_EQ(primary.fill, t->accent);
        EXPECT_EQ(primary.foreground, QColor(Qt::white));
        EXPECT_EQ(primary.outline.alpha(), 0);
        const auto primaryDown = TButtonStyle(Kind::primary).look(*t, true);
        EXPECT_EQ(primaryDown.foreground, QColor(Qt::white));
        EXPECT_NEAR(primaryDown.fill.redF(), std::max(0.0f, t->accent.redF() - 0.05f), 1e-4);
        EXPECT_NEAR(primaryDown.fill.greenF(), t->accent.greenF() - 0.05, 1e-4);
        EXPECT_NEAR(primaryDown.fill.blueF(), t->accent.blueF() - 0.05, 1e-4);

        const auto ghost = TButtonStyle(Kind::ghost).look(*t, false);
        EXPECT_EQ(ghost.fill.alpha(), 0);
        EXPECT_EQ(ghost.outline.alpha(), 0);
        EXPECT_EQ(ghost.shadow.alpha(), 0);
        EXPECT_EQ(ghost.foreground, t->muted);
        EXPECT_EQ(TButtonStyle(Kind::ghost).look(*t, true).fill, t->fill);
    }
    EXPECT_EQ(TButtonStyle(Kind::normal).look(TTheme::dark(), false).padding, QMarginsF(12, 6, 12, 6));
    EXPECT_EQ(TButtonStyle(Kind::ghost).look(TTheme::dark(), false).padding, QMarginsF(6, 4, 6, 4));
}

TEST(TButtonStyle, BrightnessClampsEachChannel)
{
    EXPECT_EQ(TButtonStyle::brightness(QColor(255, 255, 0), -0.05).toRgb().blue(), 0);
    EXPECT_NEAR(TButtonStyle::brightness(QColor(255, 128, 0), -0.05).redF(), 0.95, 1e-4);
    QColor translucent(100, 100, 100, 51);
    EXPECT_EQ(TButtonStyle::brightness(translucent, -0.05).alpha(), 51);
}

TEST(Kbd, LookOnAccentAndOff)
{
    const TTheme& t = TTheme::light();
    const Kbd::Look plain = Kbd::look(t, false);
    EXPECT_EQ(plain.foreground, t.muted);
    EXPECT_EQ(plain.fill, t.fillHover);
    EXPECT_EQ(plain.outline, t.line);
    const Kbd::Look accent = Kbd::look(t, true);
    EXPECT_EQ(accent.foreground, QColor(Qt::white));
    EXPECT_NEAR(accent.fill.alphaF(), 0.2, 0.002);
    EXPECT_EQ(accent.outline.alpha(), 0);

    const QFontMetricsF fm(DesignFont::system(11));
    const QSizeF s = Kbd::size({QStringLiteral("K")});
    EXPECT_NEAR(s.width(), fm.horizontalAdvance(QStringLiteral("K")) + 12, 1e-6);
    EXPECT_NEAR(s.height(), fm.height() + 2, 1e-6);
    // A combination is a cap per key, a gap apart.
    const QSizeF two = Kbd::size({QStringLiteral("Ctrl"), QStringLiteral("K")});
    EXPECT_NEAR(two.width(), s.width() + fm.horizontalAdvance(QStringLiteral("Ctrl")) + 12 + Kbd::kCapGap, 1e-6);
    EXPECT_NEAR(two.height(), s.height(), 1e-6);
}

TEST(Kbd, ATakenKeyShowsItInColourMarkAndTooltip)
{
    const TTheme& t = TTheme::dark();
    EXPECT_EQ(Kbd::look(t, false, true).foreground, t.danger);
    EXPECT_EQ(Kbd::look(t, true, true).foreground, t.danger); // on an accent surface too
    const QStringList key{QStringLiteral("Alt"), QStringLiteral("Space")};
    EXPECT_GT(Kbd::size(key, true).width(), Kbd::size(key).width() + Kbd::kMarkSize.width());
    Kbd cap(key);
    cap.setTaken(true);
    EXPECT_EQ(cap.toolTip(), "Taken by another app");
    EXPECT_EQ(cap.sizeHint().width(), int(std::ceil(Kbd::size(key, true).width())));
    cap.setTaken(false);
    EXPECT_TRUE(cap.toolTip().isEmpty());
}

TEST(Meter, ClampsAndTreatsNotANumberAsNothing)
{
    EXPECT_EQ(Meter::barWidth(-0.2, 200), 0);
    EXPECT_EQ(Meter::barWidth(0.5, 200), 100);
    EXPECT_EQ(Meter::barWidth(1.7, 200), 200);
    EXPECT_EQ(Meter::barWidth(qQNaN(), 200), 0);
    EXPECT_EQ(Meter::barWidth(qInf(), 200), 200);
    EXPECT_EQ(Meter::barWidth(-qInf(), 200), 0);
    EXPECT_EQ(Meter::barWidth(0.5, -10), 0);
}

TEST(TSeg, SegmentsAreAsWideAsTheirLabels)
{
    const QFontMetricsF fm(TSeg::font());
    const QList<qreal> widths = TSeg::segmentWidths({"Off", "Automatic", ""});
    ASSERT_EQ(widths.size(), 3);
    EXPECT_NEAR(widths[0], fm.horizontalAdvance("Off") + 28, 1e-6);
    EXPECT_NEAR(widths[1], fm.horizontalAdvance("Automatic") + 28, 1e-6);
    EXPECT_NEAR(widths[2], 28, 1e-6);
    EXPECT_GT(widths[1], widths[0]);

    const QList<QRectF> rects = TSeg::segmentRects({"Off", "Automatic"}, QSizeF(300, 32));
    EXPECT_EQ(rects[0].topLeft(), QPointF(2, 2));
    EXPECT_DOUBLE_EQ(rects[1].left(), rects[0].right());
    EXPECT_DOUBLE_EQ(rects[1].height(), 28);
}

TEST(TSwitchStyle, TrackAndKnob)
{
    const TTheme& t = TTheme::dark();
    EXPECT_EQ(TSwitchStyle::trackColour(t, 0), t.fillHover);
    EXPECT_EQ(TSwitchStyle::trackColour(t, 1), t.good);
    // Half-way the colour is between, never darker than both.
    const QColor mid = TSwitchStyle::trackColour(t, 0.5);
    EXPECT_GT(mid.alphaF(), t.fillHover.alphaF());
    EXPECT_LT(mid.alphaF(), 1.0);
    const QRectF track(0, 0, 30, 18);
    EXPECT_EQ(TSwitchStyle::knobRect(track, 0), QRectF(2, 2, 14, 14));
    EXPECT_EQ(TSwitchStyle::knobRect(track, 1), QRectF(14, 2, 14, 14));
}

class ControlsTest : public DesignTest {};

TEST_F(ControlsTest, SwitchFlipsOnlyFromTheSwitch)
{
    TSwitch sw("Launch at login");
    sw.adjustSize();
    sw.show();
    QSignalSpy toggled(&sw, &QAbstractButton::toggled);
    const QRectF track = sw.switchRect();
    EXPECT_DOUBLE_EQ(track.right(), sw.width());

    QTest::mouseClick(&sw, Qt::LeftButton, {}, QPoint(5, sw.height() / 2)); // the label
    EXPECT_FALSE(sw.isChecked());
    EXPECT_EQ(toggled.count(), 0);

    QTest::mouseClick(&sw, Qt::LeftButton, {}, track.center().toPoint());
    EXPECT_TRUE(sw.isChecked());
    EXPECT_EQ(toggled.count(), 1);

    // The knob slides over 0.2 s of the clock.
    EXPECT_LT(sw.position(), 0.01);
    clock.advance(0.1);
    EXPECT_GT(sw.position(), 0.5);
    EXPECT_LT(sw.position(), 1.0);
    clock.advance(0.15);
    EXPECT_EQ(sw.position(), 1.0);
    EXPECT_EQ(clock.pending(), 0u);

    QTest::mouseClick(&sw, Qt::LeftButton, {}, track.center().toPoint());
    EXPECT_FALSE(sw.isChecked());
    sw.setChecked(true); // set from outside: the knob follows
    clock.advance(1);
    EXPECT_EQ(sw.position(), 1.0);
}

TEST_F(ControlsTest, SegmentedControlWritesThroughItsSelection)
{
    TSeg seg({{1, "Off"}, {2, "Automatic"}, {3, "Always"}}, 1);
    seg.adjustSize();
    seg.show();
    QSignalSpy changed(&seg, &TSeg::selectionChanged);
    QSignalSpy activated(&seg, &TSeg::activated);
    const QList<QRectF> rects = TSeg::segmentRects({"Off", "Automatic", "Always"}, seg.size());

    // A click in the segment's padding counts, not only on the glyphs.
    QTest::mouseClick(&seg, Qt::LeftButton, {}, (rects[1].topLeft() + QPointF(3, 3)).toPoint());
    EXPECT_EQ(seg.selection(), 2);
    EXPECT_EQ(seg.selectedIndex(), 1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toInt(), 2);

    // The selected segment writes the same value again; nothing changes.
    QTest::mouseClick(&seg, Qt::LeftButton, {}, rects[1].center().toPoint());
    EXPECT_EQ(activated.count(), 2);
    EXPECT_EQ(changed.count(), 1);

    // Press on one segment, release on another: no click.
    QTest::mousePress(&seg, Qt::LeftButton, {}, rects[0].center().toPoint());
    QTest::mouseRelease(&seg, Qt::LeftButton, {}, rects[2].center().toPoint());
    EXPECT_EQ(seg.selection(), 2);

    // A value no option has highlights nothing.
    seg.setSelection(99);
    EXPECT_EQ(seg.selectedIndex(), -1);

    TSeg empty({}, QVariant());
    EXPECT_EQ(empty.sizeHint().width(), 4);
}

TEST_F(ControlsTest, SwitchReadsOnOrOffToAssistiveTechnology)
{
    TSwitch sw("Launch at login");
    sw.adjustSize();
    sw.show();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&sw);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->role(), QAccessible::CheckBox);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Launch at login"));
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("Off"));
    EXPECT_TRUE(a->state().checkable);
    EXPECT_FALSE(a->state().checked);

    // Its action flips it as a click does.
    QAccessibleActionInterface* action = a->actionInterface();
    ASSERT_TRUE(action);
    action->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(sw.isChecked());
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("On"));
    EXPECT_TRUE(a->state().checked);

    // A switch without a visible label is named by its accessible name.
    TSwitch unlabelled;
    unlabelled.setAccessibleName("Focus mode");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&unlabelled)->text(QAccessible::Name),
              QStringLiteral("Focus mode"));
}

TEST_F(ControlsTest, OnlyTheSelectedSegmentIsSelectedToAssistiveTechnology)
{
    TSeg seg({{1, "Off"}, {2, "Automatic"}, {3, "Always"}}, 2);
    seg.adjustSize();
    seg.show();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&seg);
    ASSERT_TRUE(a);
    ASSERT_EQ(a->childCount(), 3);
    auto selected = [&] {
        QList<bool> list;
        for (int i = 0; i < a->childCount(); ++i)
            list.append(a->child(i)->state().selected);
        return list;
    };
    EXPECT_EQ(a->child(1)->text(QAccessible::Name), QStringLiteral("Automatic"));
    EXPECT_EQ(a->child(1)->role(), QAccessible::Button);
    EXPECT_EQ(a->indexOfChild(a->child(2)), 2);
    EXPECT_EQ(selected(), (QList<bool>{false, true, false}));

    // Pressing a segment selects it, as a click does.
    QSignalSpy activated(&seg, &TSeg::activated);
    a->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(seg.selection(), 3);
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(selected(), (QList<bool>{false, false, true}));
    EXPECT_TRUE(QRect(seg.mapToGlobal(QPoint()), seg.size()).contains(a->child(2)->rect()));

    // A value no option has: no segment is selected.
    seg.setSelection(99);
    EXPECT_EQ(selected(), (QList<bool>{false, false, false}));
}

TEST_F(ControlsTest, ButtonTakesClicksOnItsWholeFace)
{
    TButton button("Arrange", Kind::primary);
    button.adjustSize();
    button.show();
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(button.width() - 4, button.height() / 2));
    EXPECT_EQ(clicked.count(), 1);
    // The very corner lies outside the rounded face.
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(clicked.count(), 1);

    const QSizeF s = TButtonStyle(Kind::primary).size("Arrange", false);
    EXPECT_EQ(button.size(), QSize(int(std::ceil(s.width())), int(std::ceil(s.height()))));
}

TEST_F(ControlsTest, PressedButtonsChangeTheirFace)
{
    appearance.setColorScheme(ColorScheme::light);
    Themed themed;
    auto* host = new QWidget;
    host->setAutoFillBackground(true);
    QPalette p;
    p.setColor(QPalette::Window, Qt::white);
    host->setPalette(p);
    auto* normal = new TButton("Normal", Kind::normal, host);
    auto* ghost = new TButton("Ghost", Kind::ghost, host);
    ghost->move(0, 40);
    themed.setContent(host);
    themed.resize(200, 80);

    auto face = [&](TButton* b) {
        return themed.grab().toImage().pixelColor(b->geometry().topLeft() + QPoint(3, b->height() / 2));
    };
    EXPECT_EQ(face(ghost), QColor(Qt::white));
    ghost->setDown(true);
    const QColor ghostDown = face(ghost);
    EXPECT_LT(ghostDown.red(), 255); // `fill` shows behind the label
    const QColor normalUp = face(normal);
    normal->setDown(true);
    EXPECT_NE(face(normal), normalUp);
}

TEST_F(ControlsTest, CardFillsTheWidthAndHugsItsContent)
{
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* empty = new TCard;
    auto* card = new TCard;
    auto* narrow = new TButton("Save");
    card->addWidget(new TCardTitle("Integrations"));
    card->addWidget(narrow);
    layout->addWidget(empty);
    layout->addWidget(card);
    layout->addStretch(1);
    host.resize(600, 400);
    host.show();

    EXPECT_EQ(empty->width(), 600);
    EXPECT_EQ(empty->height(), 28);
    EXPECT_EQ(card->width(), 600);
    EXPECT_EQ(narrow->x(), 16);
    EXPECT_LT(narrow->width(), 100); // at the leading edge, not stretched
}

TEST_F(ControlsTest, FormRowsLineTheirContentUp)
{
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    auto* field = new TField;
    auto* longLabel = new FRow("A label that is far longer than the column", new TField(true));
    auto* row = new FRow("Key", field);
    layout->addWidget(row);
    layout->addWidget(longLabel);
    layout->addStretch(1);
    host.resize(500, 200);
    host.show();
    EXPECT_EQ(field->x(), 132);
    EXPECT_EQ(longLabel->content()->x(), 132);
    // The longer label wraps within its column.
    EXPECT_GT(longLabel->height(), row->height());
    EXPECT_EQ(field->font().pixelSize(), 13);
}

TEST_F(ControlsTest, FormRowContentThatGrowsFillsTheColumn)
{
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* grows = new QWidget;
    grows->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* fixed = new QWidget;
    fixed->setFixedSize(40, 10);
    layout->addWidget(new FRow("Grows", grows));
    layout->addWidget(new FRow("Fixed", fixed));
    host.resize(500, 100);
    host.show();
    EXPECT_EQ(grows->x(), 132);
    EXPECT_EQ(grows->width(), 500 - 132);
    EXPECT_EQ(fixed->x(), 132);
    EXPECT_EQ(fixed->width(), 40);
}

TEST_F(ControlsTest, MessagesWrapAndToneSetsTheLook)
{
    EXPECT_EQ(KeyMsg::weight(KeyMsg::Tone::plain), QFont::Normal);
    EXPECT_EQ(KeyMsg::weight(KeyMsg::Tone::ok), QFont::DemiBold);
    EXPECT_EQ(KeyMsg::weight(KeyMsg::Tone::err), QFont::Medium);
    EXPECT_EQ(KeyMsg::colour(KeyMsg::Tone::plain), TTheme::Colour::muted);
    EXPECT_EQ(KeyMsg::colour(KeyMsg::Tone::ok), TTheme::Colour::good);
    EXPECT_EQ(KeyMsg::colour(KeyMsg::Tone::err), TTheme::Colour::danger);

    KeyMsg msg(QString("The key was refused by the server. ").repeated(6), KeyMsg::Tone::err);
    const int oneLine = msg.heightForWidth(4000);
    EXPECT_GT(msg.heightForWidth(200), 3 * oneLine);
}

TEST_F(ControlsTest, FieldsDifferOnlyInTheirFont)
{
    TField plain(false), mono(true);
    EXPECT_NE(plain.font().family(), mono.font().family());
    EXPECT_EQ(plain.font().pixelSize(), mono.font().pixelSize());
    EXPECT_EQ(plain.textMargins(), mono.textMargins());
    EXPECT_EQ(plain.palette().color(QPalette::Text), mono.palette().color(QPalette::Text));
}
