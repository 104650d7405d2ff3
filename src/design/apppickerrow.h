#pragma once

#include <QAbstractButton>

namespace tavrin {

class ThemedLabel;

// One application in the picker: its icon, its name and, when marked, a
// check mark at the trailing edge. The whole row takes the click; it draws
// no face of its own.
class AppPickerRow : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kIconSize = 22;

    explicit AppPickerRow(const QString& app, QWidget* parent = nullptr);

    QString app() const { return app_; }
    bool isMarked() const;
    void setMarked(bool marked);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString app_;
    ThemedLabel* check_;
};

} // namespace tavrin
