// Pictures of the blur prompt, the veils, the private-applications pane and
// the application picker, in both colour schemes, written to artifacts/modes/ for
// a person to look at and checked for cut text and widgets on top of each other.

#include "design/apppicker.h"
#include "design/apppickerrow.h"
#include "design/designwidget.h"
#include "design/tbutton.h"
#include "design/themed.h"
#include "modes/privacypane.h"
#include "modes/privacyprompt.h"
#include "modes/promptview.h"
#include "modes/sharesafe.h"
#include "modes/veilpanel.h"
#include "platform/sim/simappearance.h"
#include "platform/sim/simveilsurfaces.h"
#include "support/artifacts.h"
#include "support/layoutcheck.h"
#include "support/simfixture.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace tavrin {
namespace {

// A Settings pane's body: the window colour behind it.
class PaneBody : public DesignWidget {
public:
    using DesignWidget::DesignWidget;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), t().winBG); }
};

class Screenshots : public ::testing::TestWithParam<ColorScheme> {
protected:
    void SetUp() override { env.desktop.appearance().setColorScheme(GetParam()); }

    QString scheme() const
    {
        return GetParam() == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light");
    }

    static void settle()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The picture of a widget at twice its size; a panel over a plain
    // desktop backdrop.
    bool save(QWidget* widget, const QString& name, bool backdrop = false)
    {
        settle();
        if (!widget)
            return false;
        LayoutCheck::expectTidy(widget, name + QLatin1Char('-') + scheme());
        const QPixmap shot = widget->grab();
        QImage image(shot.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        if (backdrop) {
            QLinearGradient fill(0, 0, image.width(), image.height());
            const bool dark = GetParam() == ColorScheme::dark;
            fill.setColorAt(0, dark ? QColor(0x27, 0x2f, 0x3f) : QColor(0xd9, 0xe3, 0xee));
            fill.setColorAt(1, dark ? QColor(0x12, 0x16, 0x1f) : QColor(0xb9, 0xc6, 0xd6));
            p.fillRect(image.rect(), fill);
        }
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(QRectF(QPointF(0, 0), QSizeF(shot.size()) * 2), shot, QRectF(shot.rect()));
        p.end();
        return image.save(
            QDir(Artifacts::folder(QStringLiteral("modes"))).filePath(name + QLatin1Char('-') + scheme() + ".png"));
    }

    SimEnvironment env;
    WindowManager windows;
    ShortcutStore shortcuts;
    PrivacyPrompt prompt{env.clock, windows};
    ShareSafe share{prompt, Platform::current()};
};

TEST_P(Screenshots, ThePrompt)
{
    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    share.hideFrontApp();
    env.clock.advance(1.0);
    EXPECT_TRUE(save(prompt.window(), QStringLiteral("1-prompt"), true));
}

TEST_P(Screenshots, TheVeils)
{
    VeilPanel covered(QStringLiteral("Mail"), share, shortcuts, env.desktop.veilSurfaces());
    covered.surface().setFrame(Rect(0, 0, 480, 300));
    EXPECT_TRUE(save(&covered, QStringLiteral("4-veil-private")));
    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    share.hideFrontApp();
    VeilPanel byHand(QStringLiteral("Slack"), share, shortcuts, env.desktop.veilSurfaces());
    byHand.surface().setFrame(Rect(0, 0, 360, 200));
    EXPECT_TRUE(save(&byHand, QStringLiteral("5-veil-by-hand")));
}

TEST_P(Screenshots, ThePrivacyPane)
{
    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    share.hideFrontApp();
    prompt.view()->yesButton()->click();
    QSet<QString> names = share.privateNames();
    names << QStringLiteral("Arc");
    names.remove(QStringLiteral("Seahorse"));
    share.setPrivateApps(names);

    auto* body = new PaneBody;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(24, 24, 24, 24);
    auto* pane = new PrivacyPane(share, shortcuts);
    layout->addWidget(pane);
    Themed themed(body);
    themed.resize(620, themed.sizeHint().height());
    themed.show();
    settle();
    themed.resize(620, themed.sizeHint().height());
    EXPECT_TRUE(save(&themed, QStringLiteral("2-privacy-pane")));

    share.setPrivateApps({});
    share.toggleNow();
    settle();
    themed.resize(620, themed.sizeHint().height());
    EXPECT_TRUE(save(&themed, QStringLiteral("3-privacy-pane-empty")));
}

TEST_P(Screenshots, ThePicker)
{
    auto* single = new AppPicker(QStringLiteral("Add a private app"), share.privateNames(), false, {});
    AppPicker::present(single, nullptr);
    EXPECT_TRUE(save(single->window(), QStringLiteral("4-picker")));
    single->cancel();

    auto* several = new AppPicker(QStringLiteral("Apps to hide"), {}, true, {});
    AppPicker::present(several, nullptr);
    several->row(QStringLiteral("Slack"))->click();
    several->row(QStringLiteral("Mail"))->click();
    EXPECT_TRUE(save(several->window(), QStringLiteral("5-picker-several")));
    several->setQuery(QStringLiteral("zzz"));
    EXPECT_TRUE(save(several->window(), QStringLiteral("6-picker-no-match")));
    several->cancel();
    settle();
}

INSTANTIATE_TEST_SUITE_P(Schemes, Screenshots, ::testing::Values(ColorScheme::light, ColorScheme::dark),
                         [](const auto& info) { return info.param == ColorScheme::dark ? "dark" : "light"; });

} // namespace
} // namespace tavrin
