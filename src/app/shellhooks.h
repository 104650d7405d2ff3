#pragma once

#include "app/commandbarcontrol.h"
#include "app/intents/routineentity.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

namespace tavrin {

// Where the application shell calls into the subsystems built on top of it
// (the snap overlay, auto-arrange, learning, the modes, Focus routines,
// sessions, the Settings window). Each slot is empty until its subsystem fills
// it before the shell starts; an empty slot does nothing (or answers as
// described). Main thread only.
struct ShellHooks {
    // ---- Engines: started once by AppState::startEngines(), in this order,
    // after frontmost tracking, the hot keys and the snap overlay's monitors.
    std::function<void()> startAutoArrange;
    std::function<void()> startShareSafe;
    std::function<void()> startMeetingMode;
    std::function<void()> startFocus;
    std::function<void()> startHabits;
    std::function<void()> startHandPlacement;
    std::function<void()> startSessions;

    // ---- Made once, by AppState's constructor. Empty: the command-bar
    // controller.
    std::function<std::unique_ptr<CommandBarControl>()> makeCommandBar;

    // ---- Share-safe's two shortcuts.
    std::function<void()> toggleShareSafe;
    std::function<void()> hideFrontApp;

    // ---- Focus routines, for the intents.
    // The routines, in their stored order. Empty slot: none.
    std::function<QList<RoutineEntity>()> routines;
    // Starts a routine (none: the first enabled one, else the first) for
    // at least five minutes.
    std::function<void(std::optional<QUuid> routine, int minutes)> startRoutine;
    // The routine now running. Empty slot: none.
    std::function<std::optional<RoutineEntity>()> runningRoutine;
    // The applications the running routine hid. Empty slot: none.
    std::function<QStringList()> focusHiddenApps;
    // The user's stop of the running routine.
    std::function<void()> stopRoutine;

    // ---- The modes, for the menu-bar window. Empty slots: idle, and the
    // switch writes its setting ("mode.meeting", "mode.shareSafe").
    std::function<bool()> meetingInCall;
    std::function<void(bool on)> setMeetingEnabled;
    std::function<bool()> shareSafeActive;
    std::function<void(bool on)> setShareSafeEnabled;

    // ---- Suggestions learned from habits and placements (none when empty).
    struct HabitSuggestion {
        QString app;
        int minute = 0; // of the day
        std::function<void()> accept;
        std::function<void()> dismiss;
    };
    struct PlacementSuggestion {
        QString app;
        QString zone;
        int times = 0;
        int total = 0;
        QString sentence; // the zone in words: "in the edge strip", "full screen", …
        std::function<void()> keep;
        std::function<void()> dismiss;
    };
    std::function<std::optional<HabitSuggestion>()> habitSuggestion;
    std::function<std::optional<PlacementSuggestion>()> placementSuggestion;

    // ---- The Settings window, on a pane ("general", "layouts", …; empty:
    // the pane shown last).
    std::function<void(const QString& pane)> showSettings;

    static ShellHooks& shared();
};

} // namespace tavrin
