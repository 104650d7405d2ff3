#pragma once

#include "platform/userfolders.h"

#include <cstdint>

namespace tavrin {

class Accessibility;
class WindowServer;
class Screens;
class Workspace;
class HotKeys;
class EventMonitors;
class Defaults;
class Keychain;
class Clock;
class HttpClient;
class LanguageModel;
class Appearance;
class Automation;
class Processes;
class FileDialogs;
class PropertyListFiles;
class Microphone;
class CalendarStore;
class VeilSurfaces;
class InputTaps;
class PanelWindows;
class RunMarks;

// The services the system runs on. One set is installed at start-up (the
// simulated desktop, or a real backend) and read through `current()`; the
// backend that made the services owns them.
//
// A component handed a `const Platform&` keeps that reference, never a copy:
// the set must outlive it, and a service swapped in the set later (a test
// standing a counting fake in for one) is the one it uses from then on.
struct Platform {
    Accessibility* accessibility = nullptr;
    WindowServer* windowServer = nullptr;
    Screens* screens = nullptr;
    Workspace* workspace = nullptr;
    HotKeys* hotKeys = nullptr;
    EventMonitors* eventMonitors = nullptr;
    Defaults* defaults = nullptr;
    Keychain* keychain = nullptr;
    Clock* clock = nullptr;
    HttpClient* http = nullptr;
    LanguageModel* languageModel = nullptr;
    Appearance* appearance = nullptr;
    Automation* automation = nullptr;
    Processes* processes = nullptr;
    FileDialogs* fileDialogs = nullptr;
    PropertyListFiles* propertyLists = nullptr;
    UserFolders folders = {};
    Microphone* microphone = nullptr;
    CalendarStore* calendars = nullptr;
    VeilSurfaces* veilSurfaces = nullptr;
    InputTaps* inputTaps = nullptr;
    // Requests about the program's own windows; none where the window system
    // needs none (see `PanelWindows`).
    PanelWindows* panelWindows = nullptr;
    // Marks that tell a start how the last run ended; none: every start is
    // taken for one after a quit in order.
    RunMarks* runMarks = nullptr;

    static Platform& current();
    // Installs `services` for the run: the installed set it answers is the
    // one `current()` reads.
    static Platform& install(const Platform& services);
    // Counts installations: state kept about one desktop (an active
    // workspace, registered keys) is stale once another is installed.
    static std::uint64_t installation();
    // Forgets the installed services (tests, when their services go away).
    static void uninstall();
    static bool isInstalled();
};

} // namespace tavrin
