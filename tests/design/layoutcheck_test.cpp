// The picture tests' layout check sees what a look would: it must not go
// blind to a cut text, an overlap or a widget past its parent's edge.
#include "support/layoutcheck.h"

#include <QFontMetrics>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>

namespace tavrin {
namespace {

QLabel* label(QWidget* parent, const QString& text, QRect geometry, bool wrap = false)
{
    auto* l = new QLabel(text, parent);
    l->setWordWrap(wrap);
    l->setGeometry(geometry);
    return l;
}

TEST(LayoutCheck, NamesEachFaultWithTheWidgetAndThePicture)
{
    const QString longText = QStringLiteral("Hidden when the routine starts and shown again when it ends.");
    struct Case {
        const char* what;
        std::function<void(QWidget&)> build;
        QString fault; // empty: none
    } cases[] = {
        {"a wrapped text a line short",
         [&](QWidget& w) { label(&w, longText, QRect(0, 0, 120, QFontMetrics(w.font()).height()), true); },
         QStringLiteral("pic: QLabel \"Hidden when the routine starts and show…\" needs")},
        {"a line wider than its label", [](QWidget& w) { label(&w, QStringLiteral("Add apps…"), QRect(0, 0, 12, 40)); },
         QStringLiteral("pic: QLabel \"Add apps…\" needs")},
        {"siblings on top of each other",
         [](QWidget& w) {
             label(&w, {}, QRect(0, 0, 50, 50))->setObjectName(QStringLiteral("a"));
             label(&w, {}, QRect(40, 40, 50, 50))->setObjectName(QStringLiteral("b"));
         },
         QStringLiteral("pic: QLabel 'a' overlaps QLabel 'b' in QWidget")},
        {"a child past its parent's edge", [](QWidget& w) { label(&w, {}, QRect(250, 0, 100, 10)); },
         QStringLiteral("pic: QLabel at 250,0 100×10 reaches past its parent QWidget (300×200)")},
        {"a hidden child past the edge", [](QWidget& w) { label(&w, {}, QRect(250, 0, 100, 10))->hide(); }, {}},
        {"a scroll area's content taller than its text",
         [](QWidget& w) {
             auto* area = new QScrollArea(&w);
             area->setGeometry(w.rect());
             auto* content = new QWidget;
             content->resize(280, 600);
             label(content, QStringLiteral("Title"), QRect(0, 0, 200, 40));
             area->setWidget(content);
         },
         QStringLiteral("pic: QWidget leaves 560 px blank to scroll to below its content")},
        {"a laid-out column",
         [&](QWidget& w) {
             auto* column = new QVBoxLayout(&w);
             column->addWidget(new QLabel(QStringLiteral("Title")));
             auto* hint = new QLabel(longText);
             hint->setWordWrap(true);
             column->addWidget(hint);
         },
         {}},
    };
    for (const Case& c : cases) {
        QWidget root;
        root.resize(300, 200);
        c.build(root);
        root.show();
        const QStringList faults = LayoutCheck(QStringLiteral("pic")).faults(&root);
        if (c.fault.isEmpty()) {
            EXPECT_TRUE(faults.isEmpty()) << c.what << ": " << faults.join('\n').toStdString();
            continue;
        }
        ASSERT_EQ(faults.size(), 1) << c.what << ": " << faults.join('\n').toStdString();
        EXPECT_TRUE(faults.front().startsWith(c.fault)) << c.what << ": " << faults.front().toStdString();
    }
}

TEST(LayoutCheck, LetsAWidgetMeantToSpreadDoSo)
{
    QWidget root;
    root.resize(100, 100);
    label(&root, {}, QRect(-20, -20, 140, 60))->setObjectName(QStringLiteral("glow"));
    label(&root, QStringLiteral("Hint"), QRect(10, 30, 80, 30));
    root.show();
    EXPECT_EQ(LayoutCheck(QStringLiteral("pic")).faults(&root).size(), 2);
    EXPECT_TRUE(
        LayoutCheck(QStringLiteral("pic")).allowSpread(QStringLiteral("glow"), "a glow").faults(&root).isEmpty());
}

} // namespace
} // namespace tavrin
