#pragma once

#include <QWidget>

namespace tavrin {

class ThemedLabel;

// The top of a Settings pane: its title and a one-line explanation under it,
// in the theme of the view environment.
class PaneHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kTitleSize = 20;
    static constexpr qreal kSubSize = 13;

    PaneHeader(const QString& title, const QString& sub, QWidget* parent = nullptr);

    QString title() const;
    QString sub() const;
    void setSub(const QString& sub);

private:
    ThemedLabel* title_;
    ThemedLabel* sub_;
};

} // namespace tavrin
