#pragma once

#include "settings/panepage.h"
#include "windows/display.h"
#include "windows/layoutkind.h"

#include <QList>

namespace tavrin {

class AutoArrange;
class DisplayPreview;
class GapSlider;
class SettingSwitch;
class TSeg;
class ThemedLabel;
class WindowManager;

// The layouts pane: for each display its usual layout (stored under
// "layout." + the display's key), whether new windows on it are arranged
// automatically (switched through automatic arrangement, which arranges the
// display at once) and a preview of the usual layout; then the gap between
// windows and the snap overlay switch.
class LayoutsPane : public PanePage {
    Q_OBJECT
public:
    static constexpr int kMaxGap = 24;

    LayoutsPane(WindowManager& windows, AutoArrange& autoArrange, QWidget* parent = nullptr);

    struct DisplayCard {
        Display display;
        QStringList apps; // of the display's windows, front to back
        TSeg* layout = nullptr;
        SettingSwitch* autoArrange = nullptr;
        DisplayPreview* preview = nullptr;
    };
    const QList<DisplayCard>& displayCards() const { return cards_; }
    GapSlider* gapSlider() const { return gap_; }
    SettingSwitch* overlaySwitch() const { return overlay_; }

    // How many windows a layout is previewed with.
    static int previewCount(LayoutKind kind);

private:
    void addDisplayCard(const Display& display);
    void addWindowsCard();
    void showPreview(DisplayCard& card);
    void showGap(int gap);

    WindowManager& windows_;
    AutoArrange& autoArrange_;
    QList<DisplayCard> cards_;
    GapSlider* gap_ = nullptr;
    ThemedLabel* gapValue_ = nullptr;
    SettingSwitch* overlay_ = nullptr;
};

} // namespace tavrin
