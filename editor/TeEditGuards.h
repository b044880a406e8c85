#pragma once
// Scope guards for the editor's own begin/end pairs, so that each command
// closes what it opened on every path without a catch block repeating the
// clean-up.
#include "editor/TeEdit.h"
#include "platform/rtl/ScopeGuard.h"

// BeginUndoBlock now, EndUndoBlock when the scope is left.
class TTeUndoBlock {
public:
    explicit TTeUndoBlock(TCustomTeEdit* Editor) : guard_((Editor->BeginUndoBlock(), End{Editor})) {}

private:
    struct End {
        TCustomTeEdit* editor;
        void operator()() const { editor->EndUndoBlock(); }
    };
    TScopeGuard<End> guard_;
};

// IncPaintLock now, DecPaintLock when the scope is left.
class TTePaintLock {
public:
    explicit TTePaintLock(TCustomTeEdit* Editor) : guard_((Editor->IncPaintLock(), Unlock{Editor})) {}

private:
    struct Unlock {
        TCustomTeEdit* editor;
        void operator()() const { editor->DecPaintLock(); }
    };
    TScopeGuard<Unlock> guard_;
};

// Switches an option on for the life of the guard and back off when it was off.
class TTeOptionOn {
public:
    TTeOptionOn(TCustomTeEdit* Editor, TTeEditorOption Option)
        : guard_(SwitchOn(Editor, Option)) {}

private:
    struct SwitchOff {
        TCustomTeEdit* editor;
        TTeEditorOption option;
        bool wasOn;
        void operator()() const {
            if (!wasOn) editor->SetOptions(TTeEditorOptions(editor->Options()).Exclude(option));
        }
    };
    static SwitchOff SwitchOn(TCustomTeEdit* Editor, TTeEditorOption Option) {
        bool wasOn = Editor->Options().Contains(Option);
        if (!wasOn) Editor->SetOptions(TTeEditorOptions(Editor->Options()).Include(Option));
        return SwitchOff{Editor, Option, wasOn};
    }
    TScopeGuard<SwitchOff> guard_;
};
