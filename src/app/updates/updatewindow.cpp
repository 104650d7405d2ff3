#include "app/updates/updatewindow.h"

#include "app/updates/updatecontroller.h"
#include "design/designfont.h"
#include "design/designwidget.h"
#include "design/tavrinmark.h"
#include "design/tbutton.h"
#include "design/themed.h"
#include "design/themedlabel.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace tavrin {

namespace {
class Background : public DesignWidget {
public:
    using DesignWidget::DesignWidget;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), t().winBG); }
};
} // namespace

void UpdateWindow::attach(UpdateController& controller)
{
    auto window = std::make_shared<QPointer<UpdateWindow>>();
    const auto one = [window] {
        if (!*window)
            *window = new UpdateWindow;
        return window->data();
    };
    connect(&controller, &UpdateController::updateFound, &controller,
            [one](const AppcastItem& item, bool, bool gentle) {
                one()->showFound(item, UpdateController::currentVersion(), gentle);
            });
    connect(&controller, &UpdateController::updateDownloaded, &controller,
            [one](const AppcastItem& item, const QString& path, bool gentle) {
                one()->showDownloaded(item, path, UpdateController::currentVersion(), gentle);
            });
    connect(&controller, &UpdateController::noUpdateFound, &controller,
            [one](const QString& version) { one()->showUpToDate(version); });
    connect(&controller, &UpdateController::checkFailed, &controller,
            [one](const QString& message) { one()->showFailed(message); });
}

UpdateWindow::UpdateWindow(QWidget* parent) : QWidget(parent)
{
    using Colour = TTheme::Colour;
    setWindowTitle(tr("Software Update"));
    setFixedWidth(420);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* body = new Background;
    outer->addWidget(new Themed(body, this));

    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(20, 20, 20, 16);
    row->setSpacing(16);
    row->addWidget(new TavrinMark(40, body), 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    column->setSpacing(8);
    heading_ = new ThemedLabel(QString(), Colour::ink, DesignFont::system(14, QFont::Bold), body);
    heading_->setWordWrap(true);
    message_ = new ThemedLabel(QString(), Colour::muted, DesignFont::system(12.5), body);
    message_->setWordWrap(true);
    column->addWidget(heading_);
    column->addWidget(message_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    later_ = new TButton(tr("Later"), TButtonStyle::Kind::normal, body);
    primary_ = new TButton(QString(), TButtonStyle::Kind::primary, body);
    buttons->addWidget(later_);
    buttons->addWidget(primary_);
    column->addSpacing(6);
    column->addLayout(buttons);
    row->addLayout(column, 1);

    connect(later_, &QAbstractButton::clicked, this, &QWidget::close);
    connect(primary_, &QAbstractButton::clicked, this, [this] {
        if (address_.isValid())
            QDesktopServices::openUrl(address_);
        close();
    });
}

QString UpdateWindow::heading() const { return heading_->text(); }

QString UpdateWindow::message() const { return message_->text(); }

void UpdateWindow::showFound(const AppcastItem& item, const QString& current, bool gentle)
{
    // Only a web address from the feed is ever opened.
    address_ = item.downloadURL.isValid() ? item.downloadURL : item.infoURL;
    present(tr("A new version of Tavrin is available"),
            tr("Tavrin %1 is available; you have %2.").arg(item.displayVersion, current),
            address_.isValid() ? tr("Download") : tr("OK"), gentle);
    later_->setVisible(true);
}

void UpdateWindow::showDownloaded(const AppcastItem& item, const QString& path, const QString& current, bool gentle)
{
    const QFileInfo file(path);
    address_ = QUrl::fromLocalFile(file.absolutePath());
    present(tr("A new version of Tavrin is downloaded"),
            tr("Tavrin %1 is in %2 as %3; you have %4.")
                .arg(item.displayVersion, QDir::toNativeSeparators(file.absolutePath()), file.fileName(), current),
            tr("Show in Folder"), gentle);
    later_->setVisible(true);
}

void UpdateWindow::showUpToDate(const QString& version)
{
    address_.clear();
    present(tr("You're up to date"), tr("Tavrin %1 is the newest version.").arg(version), tr("OK"), false);
    later_->setVisible(false);
}

void UpdateWindow::showFailed(const QString& message)
{
    address_.clear();
    present(tr("Tavrin couldn't check for updates"), message, tr("OK"), false);
    later_->setVisible(false);
}

void UpdateWindow::present(const QString& heading, const QString& message, const QString& primary, bool gentle)
{
    heading_->setText(heading);
    message_->setText(message);
    primary_->setText(primary);
    primary_->updateGeometry();
    adjustSize();
    setAttribute(Qt::WA_ShowWithoutActivating, gentle);
    // A window already up stays where the user left it.
    if (!isVisible())
        placeBesideAsker();
    show();
    if (!gentle && QGuiApplication::platformName() != QLatin1String("offscreen")) {
        raise();
        activateWindow();
    }
}

QRect UpdateWindow::placement(const QSize& size, const QRect& asker, const QRect& area)
{
    const QPoint centre = asker.isEmpty() ? area.center() : asker.center();
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(centre);
    // Kept on the screen; a window larger than the area keeps its top left in it.
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    return frame;
}

void UpdateWindow::placeBesideAsker()
{
    const QWidget* asker = QApplication::activeWindow();
    if (asker == this)
        asker = nullptr;
    QScreen* screen = asker ? asker->screen() : QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = placement(size(), asker ? asker->frameGeometry() : QRect(), screen->availableGeometry());
    move(frame.topLeft());
}

} // namespace tavrin
