#pragma once

#include "design/miniwindowmodel.h"
#include "design/surface.h"

#include <optional>

class QPainter;

namespace tavrin {

// One window in miniature: a title bar with the three window buttons where
// the desktop's windows have them (and, in the large form, the title) over
// abstract content chosen by the
// application's name. It fills its shape; its shadow falls into the view's
// outsets.
class MiniWindow : public Surface {
    Q_OBJECT
public:
    MiniWindow(const QString& app, const std::optional<QString>& title, bool large, QWidget* parent = nullptr);

    QString app() const { return app_; }
    std::optional<QString> title() const { return title_; }
    bool large() const { return large_; }

    static void paint(QPainter& painter, const QRectF& rect, const QString& app, const std::optional<QString>& title,
                      bool large, const TTheme& t);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString app_;
    std::optional<QString> title_;
    bool large_;
};

} // namespace tavrin
