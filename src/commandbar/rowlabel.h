#pragma once

#include "design/designwidget.h"

#include <QString>
#include <optional>

namespace tavrin {

class ElidedLabel;

// The label of a command-bar list row: an icon on a small rounded `fill`
// tile, a title and an optional one-line subtitle.
class RowLabel : public DesignWidget {
    Q_OBJECT
public:
    static constexpr int kIconBox = 26;

    RowLabel(QWidget* icon, const QString& title, const std::optional<QString>& subtitle, QWidget* parent = nullptr);

    QString title() const;
    // Empty when the row has no subtitle.
    QString subtitle() const;

private:
    ElidedLabel* title_;
    ElidedLabel* subtitle_ = nullptr;
};

} // namespace tavrin
