#pragma once

#include <QPointer>
#include <QWidget>

namespace tavrin {

// Wraps a root view and gives everything inside it the theme of the colour
// scheme in effect: the dark set when the scheme is dark, else the light set.
// The scheme is read afresh whenever it changes, so a change of the desktop's
// appearance re-themes everything inside at once, without re-creating it.
class Themed : public QWidget {
    Q_OBJECT
public:
    explicit Themed(QWidget* content = nullptr, QWidget* parent = nullptr);

    // The wrapped view, laid out to fill this widget.
    QWidget* content() const { return content_; }
    void setContent(QWidget* content);

private:
    QPointer<QWidget> content_;
};

} // namespace tavrin
