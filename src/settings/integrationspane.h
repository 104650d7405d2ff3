#pragma once

#include "integrations/integration.h"
#include "integrations/integrations.h"
#include "settings/panepage.h"

#include <QHash>
#include <QList>
#include <optional>
#include <vector>

class QGridLayout;
class QHBoxLayout;

namespace tavrin {

class TCard;

// The integrations pane: which supported applications are installed here,
// filtered by category; a tile per application with a check mark while its
// integration works; and a card with what the chosen one brings back,
// whether it may be scripted, and its switch. The scripting permissions are
// read in the background each time the pane is shown and after each "Allow
// now"; every read replaces them wholesale when it lands.
class IntegrationsPane : public PanePage {
    Q_OBJECT
public:
    using Permissions = QHash<QString, Integrations::Permission>;

    static constexpr int kColumns = 5;
    static inline const QString kAutomationSettings =
        QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Automation");
    static inline const QString kAllowedText =
        QStringLiteral("✓ Allowed (System Settings › Privacy & Security › Automation)");

    explicit IntegrationsPane(QWidget* parent = nullptr);

    // The view state: the category chosen (none: "All"), the application
    // chosen, the permissions last read, and the count of reads and switch
    // changes.
    std::optional<Integration::Category> filter() const { return filter_; }
    std::optional<QString> selected() const { return selected_; }
    const Permissions& permissions() const { return permissions_; }
    int refreshCount() const { return refresh_; }

    // Chooses a category (none: "All") and forgets the chosen application.
    void setFilter(std::optional<Integration::Category> filter);
    // Chooses the application whose card is shown.
    void select(const QString& app);

    // The rows installed here, as last read; those of the chosen category;
    // the one whose card shows (the chosen one, else the first visible).
    const std::vector<Integration>& installed() const { return installed_; }
    std::vector<Integration> visible() const;
    std::optional<Integration> shown() const;
    // The categories with at least one installed row, in order.
    QList<Integration::Category> categories() const;

    // Reads the scripting permission of every installed row that needs it,
    // in the background, without asking the user.
    void readPermissions();

    // "3 apps on this computer work with Tavrin. …"
    static QString headerLine(int installedCount);
    // Whether the row is read by scripting the application under the
    // user's consent (never where applications are not scripted).
    static bool readsByScript(const Integration& row);
    // Whether its tile carries the check mark: switched on, bringing
    // something back, and (when scripted) allowed.
    static bool showsBadge(const Integration& row, bool off, const Permissions& permissions);

signals:
    // A permission read landed.
    void permissionsRead();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuild();
    void fillChips();
    void fillGrid();
    void fillCard();
    QWidget* permissionContent(const Integration& row);
    void ask(const Integration& row);

    std::optional<Integration::Category> filter_;
    std::optional<QString> selected_;
    Permissions permissions_;
    int refresh_ = 0;
    std::vector<Integration> installed_;

    QHBoxLayout* chips_ = nullptr;
    QGridLayout* grid_ = nullptr;
    TCard* card_ = nullptr;
};

} // namespace tavrin
