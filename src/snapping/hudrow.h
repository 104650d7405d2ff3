#pragma once

#include "design/ttheme.h"

#include <QFont>
#include <QString>
#include <QWidget>

namespace tavrin {

class ElidedLabel;

// A line of the snap overlay's header or footer: one text at the leading
// edge, one at the trailing edge, at least `minGap` apart. Both stay on one
// line; when they do not fit, the shorter keeps up to half the room and the
// longer is cut to the rest. A wrapping row puts the trailing text on a
// second line instead, still at the trailing edge, and is as tall as its
// lines are at its width.
class HUDRow : public QWidget {
    Q_OBJECT
public:
    struct Text {
        QFont font;
        TTheme::Colour colour = TTheme::Colour::muted;
    };

    // Between the two lines of a wrapped row.
    static constexpr int kLineSpacing = 2;

    HUDRow(const Text& leading, const Text& trailing, int minGap = 8, QWidget* parent = nullptr);

    ElidedLabel* leading() const { return leading_; }
    ElidedLabel* trailing() const { return trailing_; }
    // An empty trailing text takes no room.
    void setTexts(const QString& leading, const QString& trailing);
    void setWrapping(bool wraps);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return wraps_; }
    int heightForWidth(int width) const override;

    // The widths two texts of natural widths `a` and `b` get in `room`.
    static std::pair<int, int> share(int a, int b, int room);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Both texts on one line at this width.
    bool fitsOneLine(int width) const;
    int lineHeight() const;
    void place();

    ElidedLabel* leading_;
    ElidedLabel* trailing_;
    int minGap_;
    bool wraps_ = false;
};

} // namespace tavrin
