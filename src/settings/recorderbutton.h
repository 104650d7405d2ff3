#pragma once

#include <QAbstractButton>

namespace tavrin {

// The field that shows an action's key combination as a key cap ("None"
// when it has none) and that is clicked to record a new one; while it
// listens it says so in the accent colour.
class RecorderButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr QSize kSize{132, 28};

    explicit RecorderButton(QWidget* parent = nullptr);

    // The combination as symbols and key ("⌃⌥1"); empty for none.
    void setCombo(const QString& combo);
    QString combo() const { return combo_; }
    void setListening(bool listening);
    bool isListening() const { return listening_; }

    QSize sizeHint() const override { return kSize; }
    QSize minimumSizeHint() const override { return kSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString combo_;
    bool listening_ = false;
};

} // namespace tavrin
