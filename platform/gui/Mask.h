#pragma once
// TCustomMaskEdit: the edit that descendants such as the grid's editors build
// on. Only the empty mask is supported: a mask set is kept (and IsMasked
// answers it), but the text is not held to it.
#include "platform/gui/StdCtrls.h"

class TCustomMaskEdit : public TCustomEdit {
    TESK_CLASS(TCustomMaskEdit, TCustomEdit)
public:
    explicit TCustomMaskEdit(TComponent* AOwner);

    const AnsiString& EditMask() const { return editMask_; }
    void SetEditMask(const AnsiString& Value) { editMask_ = Value; }
    bool IsMasked() const { return !editMask_.empty(); }
    // The text as it is being edited (the same as Text without a mask).
    AnsiString EditText() { return Text(); }
    void SetEditText(const AnsiString& Value);
    // Checks the text against the mask; nothing to check without one.
    virtual void ValidateEdit() {}
    // Whether the user may change the text now; descendants decide.
    virtual bool EditCanModify() { return true; }
    // Puts back the text the edit had when entered (or last set), when changed since.
    virtual void Reset();

    void CMEnter(TMessage& Message) override;

private:
    AnsiString editMask_;
    AnsiString oldValue_;
};

class TMaskEdit : public TCustomMaskEdit {
    TESK_CLASS(TMaskEdit, TCustomMaskEdit)
public:
    explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};
