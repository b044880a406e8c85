#pragma once
// One write at a time. An import, a database import or a reprocessing pass
// runs inside an open transaction while a modal question or the progress
// window pumps the message loop; a menu command or a clipboard notice handled
// then would start a second write inside the first. While a guard lives the
// window's enabled commands are disabled (and enabled again at its end) and
// CommandRunning() answers true, which the clipboard watcher asks.
#include <functional>
#include <vector>

class TActionList;
class TCustomAction;

bool CommandRunning();

// Runs Work at once when no command runs, else as soon as the running one has
// ended and the commands are enabled again (closing the window during an
// import saves what the import leaves, not what it found).
void AfterCommand(std::function<void()> Work);

class TCommandGuard {
public:
    explicit TCommandGuard(TActionList* Actions);
    ~TCommandGuard();
    TCommandGuard(const TCommandGuard&) = delete;
    TCommandGuard& operator=(const TCommandGuard&) = delete;

private:
    std::vector<TCustomAction*> disabled_;
};
