#pragma once

#include "design/tween.h"
#include "windows/unitrect.h"

#include <QAbstractButton>
#include <optional>

namespace tavrin {

class ElidedLabel;
class Frames;
class KeyDisplay;
class TakenMark;

// One key of the arrow pad: a small display showing where the key would put
// the window, and under it the key's symbol with what it does ("left ½").
// Drawn pressed (accent, 1 point lower) while `hit`; lighter under the
// pointer. The whole key takes clicks, except while its hot key is taken by
// another program: then its symbol is in the danger colour behind a warning
// mark, it shows no place and says so instead of what it does.
class ArrowKey : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kPadding = 7;
    static constexpr int kSpacing = 5;
    static constexpr qreal kRadius = 10;
    static constexpr double kHitSeconds = 0.12;
    // How far a pressed key goes down; the key keeps that much room below
    // its face.
    static constexpr int kSink = 1;
    static constexpr qreal kLabelMinimumScale = 0.8;
    static inline const QString kTakenLabel = QStringLiteral("taken");

    explicit ArrowKey(bool dim = false, QWidget* parent = nullptr);

    QString symbol() const;
    void setSymbol(const QString& symbol);
    QString label() const;
    void setLabel(const QString& label);
    std::optional<UnitRect> unit() const;
    void setUnit(const std::optional<UnitRect>& unit);
    bool isTaken() const { return taken_; }
    void setTaken(bool taken);
    bool isHit() const { return hit_; }
    void setHit(bool hit);
    bool isHovered() const { return hover_; }

    KeyDisplay* display() const { return display_; }
    // The small display's height, fitted to the key's width.
    void setDisplayHeight(int height);

signals:
    // The pointer came onto the key (true) or left it.
    void hoverChanged(bool hovered);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void frame();
    void sink(qreal depth);

    KeyDisplay* display_;
    ElidedLabel* symbol_;
    ElidedLabel* label_;
    TakenMark* mark_;
    bool taken_ = false;
    bool hit_ = false;
    bool hover_ = false;
    Tween press_;
    Frames* frames_;
};

} // namespace tavrin
