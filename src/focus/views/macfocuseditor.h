#pragma once

#include "focus/views/binding.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

namespace tavrin {

class MenuPicker;
class TButton;
struct Platform;

// Chooses the two shortcuts that turn a desktop Focus on when a routine
// starts (`on`) and off when it ends (`off`). `on` holds the empty string
// while no shortcut is chosen (the action stays on the routine); `off`
// holds none when nothing is to run. The shortcut names are listed away
// from the main thread each time the editor shows and on "Refresh"; when
// loads overlap, the one started last sets the list.
class MacFocusEditor : public QWidget {
    Q_OBJECT
public:
    using OptionalText = Binding<std::optional<QString>>;
    // Lists the user's shortcuts; blocks (never called on the main thread).
    using Lister = std::function<QStringList()>;

    // Lists on the clock of `platform`, and opens the folder in its user
    // folders with its applications; an empty `lister` lists through the
    // engine's Shortcuts tool, run with its helper programs. `platform` must
    // outlive the editor.
    MacFocusEditor(const Platform& platform, OptionalText on, OptionalText off, Lister lister = {},
                   QWidget* parent = nullptr);

    // The names the pickers offer.
    const QStringList& names() const { return names_; }
    // Lists the shortcuts again.
    void reload();
    // Shows the bound values as they are now.
    void refresh();

    MenuPicker* startPicker() const { return start_; }
    MenuPicker* endPicker() const { return end_; }

    // Where the user's shortcuts are kept: "tavrin/shortcuts" in the
    // configuration folder; empty when that is unknown.
    QString shortcutsFolder() const;
    // Makes that folder when it is missing and opens it in the file manager.
    bool openShortcutsFolder() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fill();

    const Platform& platform_;
    OptionalText on_;
    OptionalText off_;
    Lister lister_;
    QStringList names_;
    std::uint64_t loads_ = 0;
    MenuPicker* start_;
    MenuPicker* end_;
    TButton* open_;
    TButton* refresh_;
};

} // namespace tavrin
