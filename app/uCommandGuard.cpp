#include "app/uCommandGuard.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/Forms.h"

namespace {
bool running = false;
std::vector<std::function<void()>> waiting;
}  // namespace

bool CommandRunning() { return running; }

void AfterCommand(std::function<void()> Work) {
    if (running)
        waiting.push_back(std::move(Work));
    else
        Work();
}

TCommandGuard::TCommandGuard(TActionList* Actions) {
    running = true;
    for (int i = 0; i < Actions->ActionCount(); ++i)
        if (auto* a = dynamic_cast<TCustomAction*>(Actions->Actions(i)); a && a->Enabled()) {
            a->SetEnabled(false);
            disabled_.push_back(a);
        }
    Screen->SetCursor(crHourGlass);
}

TCommandGuard::~TCommandGuard() {
    Screen->SetCursor(crDefault);
    for (TCustomAction* a : disabled_) a->SetEnabled(true);
    running = false;
    std::vector<std::function<void()>> work;
    work.swap(waiting);
    for (auto& w : work) {
        // A destructor lets nothing escape; the work reports its own failures.
        try {
            w();
        } catch (...) {
            if (Application) Application->HandleException(nullptr);
        }
    }
}
