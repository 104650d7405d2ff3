#pragma once

#include "design/tfieldstyle.h"

#include <QLineEdit>

namespace tavrin {

// A one-line text entry in `TFieldStyle`.
class TField : public QLineEdit {
    Q_OBJECT
public:
    explicit TField(bool mono = false, QWidget* parent = nullptr);

    bool mono() const { return style_.mono(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    TFieldStyle style_;
};

} // namespace tavrin
