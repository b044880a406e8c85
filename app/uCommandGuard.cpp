#include "app/uCommandGuard.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/Forms.h"

namespace {
bool running = false;
}

bool CommandRunning() { return running; }

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
}
