#pragma once

#include "app/updates/appcast.h"

#include <QPointer>
#include <QRect>
#include <QUrl>
#include <QWidget>

namespace tavrin {

class UpdateController;
class TButton;
class ThemedLabel;

// The small window in which the updater tells the user what it found: a
// newer version (with a button that opens its download page, or, when it was
// downloaded already, the folder it is in), that Tavrin is up to date, or that
// the check failed. One window, reused.
class UpdateWindow : public QWidget {
    Q_OBJECT
public:
    // Shows the updater's findings from now on, in one window made on first
    // use and reused while it is open.
    static void attach(UpdateController& controller);

    explicit UpdateWindow(QWidget* parent = nullptr);

    // `gentle`: shown without taking the focus.
    void showFound(const AppcastItem& item, const QString& current, bool gentle);
    void showDownloaded(const AppcastItem& item, const QString& path, const QString& current, bool gentle);
    void showUpToDate(const QString& version);
    void showFailed(const QString& message);

    QString heading() const;
    QString message() const;
    // The address the primary button opens; empty when it only closes.
    QUrl address() const { return address_; }
    TButton* primaryButton() const { return primary_; }

    // Where a window of `size` opens: centred over the window that asked
    // (`asker`, a frame; empty when none did), else centred in `area`, and
    // kept inside `area`, the available part of the asker's screen.
    static QRect placement(const QSize& size, const QRect& asker, const QRect& area);

private:
    void present(const QString& heading, const QString& message, const QString& primary, bool gentle);
    // Opens beside the active window (Settings when its button asked).
    void placeBesideAsker();

    ThemedLabel* heading_;
    ThemedLabel* message_;
    TButton* primary_;
    TButton* later_;
    QUrl address_;
};

} // namespace tavrin
