#pragma once

#include "design/tbuttonstyle.h"

#include <QAbstractButton>

namespace tavrin {

// A button whose label shows the key caps of the keys that do the same
// thing, then its caption: "↵ Plan", "⇥ Adjust on desktop", "Ctrl ↵ Save as …".
// `primary` and `normal` faces are the design system's; `plain` draws no
// face, and its caption gives way first when room runs short (shrinking to
// 85 % of its size, then cut). A disabled button is drawn at half opacity.
class KeyButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Face { primary, normal, plain };

    KeyButton(const QString& key, const QString& caption, Face face, QWidget* parent = nullptr);
    KeyButton(const QStringList& keys, const QString& caption, Face face, QWidget* parent = nullptr);

    QStringList keys() const { return key_; }
    QString caption() const { return caption_; }
    Face face() const { return face_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont captionFont(qreal availableWidth) const;
    QMarginsF padding() const;

    QStringList key_;
    QString caption_;
    Face face_;
};

} // namespace tavrin
