#include "platform/gui/Mask.h"

#include "platform/gui/ControlProps_p.h"

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditText(const AnsiString& Value) {
    SetText(Value);
    oldValue_ = Value;
}

void TCustomMaskEdit::Reset() {
    if (!Modified()) return;
    SetText(oldValue_);
    SetModified(false);
}

void TCustomMaskEdit::CMEnter(TMessage& Message) {
    oldValue_ = Text();
    TCustomEdit::CMEnter(Message);
}

TESK_PUBLISHED(TCustomMaskEdit) {}

TESK_PUBLISHED(TMaskEdit) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
    Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
    Property("CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
    Property("EditMask", &T::EditMask, &T::SetEditMask);
    Property("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);
    Property("PasswordChar", &T::PasswordChar, &T::SetPasswordChar).Default(0);
    Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
    Property("Text", &T::Text, &T::SetText);
    Property("OnChange", &T::OnChange, &T::OnChange);
}
