#pragma once

#include <QAbstractButton>

namespace tavrin {

// The field that shows an action's key combination as key caps ("None"
// when it has none), growing wider than kSize where the caps need it, and that is clicked to record a new one; while it
// listens it says so in the accent colour.
class RecorderButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr QSize kSize{132, 28};

    explicit RecorderButton(QWidget* parent = nullptr);

    // The combination's keys ({"Ctrl", "Alt", "1"}); empty for none.
    void setCombo(const QStringList& keys);
    // In running text ("Ctrl+Alt+1").
    QString combo() const;
    void setListening(bool listening);
    bool isListening() const { return listening_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList combo_;
    bool listening_ = false;
};

} // namespace tavrin
