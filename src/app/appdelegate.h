#pragma once

namespace tavrin {

class TavrinApp;

// Runs the application's start-up once launching has finished: as soon as
// the main loop runs.
class AppDelegate {
public:
    explicit AppDelegate(TavrinApp& app) : app_(app) {}

    // Asks for `applicationDidFinishLaunching()` when the main loop starts.
    void attach();
    void applicationDidFinishLaunching();

private:
    TavrinApp& app_;
};

} // namespace tavrin
