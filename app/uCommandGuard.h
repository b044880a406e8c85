#pragma once
// One write at a time. An import, a database import or a reprocessing pass
// runs inside an open transaction while a modal question or the progress
// window pumps the message loop; a menu command or a clipboard notice handled
// then would start a second write inside the first. While a guard lives the
// window's enabled commands are disabled (and enabled again at its end) and
// CommandRunning() answers true, which the clipboard watcher asks.
#include <vector>

class TActionList;
class TCustomAction;

bool CommandRunning();

class TCommandGuard {
public:
    explicit TCommandGuard(TActionList* Actions);
    ~TCommandGuard();
    TCommandGuard(const TCommandGuard&) = delete;
    TCommandGuard& operator=(const TCommandGuard&) = delete;

private:
    std::vector<TCustomAction*> disabled_;
};
