#pragma once

#include "app/settingspane.h"
#include "design/designwidget.h"

#include <QList>

class QAbstractButton;

namespace tavrin {

class SettingsRouter;

// The Settings window's sidebar: the nine panes by title, each with its
// icon, the selected one highlighted. A click selects a pane through the
// router; the highlight follows the router.
class SettingsSidebar : public DesignWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 184;
    static constexpr int kRowHeight = 30;

    explicit SettingsSidebar(SettingsRouter& router, QWidget* parent = nullptr);

    // The sidebar title of a pane: "General", …, "AI".
    static QString title(SettingsPane pane);
    // The row of a pane (its object name is "sidebar." + the pane's name).
    QAbstractButton* row(SettingsPane pane) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SettingsRouter& router_;
    QList<QAbstractButton*> rows_;
};

} // namespace tavrin
