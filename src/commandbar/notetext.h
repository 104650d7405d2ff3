#pragma once

#include "design/ttheme.h"

#include <QLabel>

namespace tavrin {

// A wrapping paragraph of two runs: a semibold label (in `ink`, or in the
// system orange when it is an alert) and a text in `muted`, 12 points, both
// shown verbatim, fitted to a fixed width. The colours follow the theme.
class NoteText : public QLabel {
    Q_OBJECT
public:
    NoteText(const QString& label, const QString& text, bool alert, int width, QWidget* parent = nullptr);

    QString label() const { return label_; }
    QString note() const { return text_; }
    bool isAlert() const { return alert_; }

    // The system orange of warnings in each scheme.
    static QColor orange(ColorScheme scheme);

private:
    void refresh();

    QString label_;
    QString text_;
    bool alert_;
};

} // namespace tavrin
